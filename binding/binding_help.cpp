#include "binding/binding_help.h"

#include <algorithm>

#include "binding/binding_registry.h"
#include "binding/event_record.h"
#include "binding/function_record.h"
#include "binding/native_conversion.h"
#include "binding/type_record.h"

namespace Zarn::Binding {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kParagraphEnd = "\r\n\r\n";
// What an asynchronous function whose result carries no value reports as its result type.
constexpr std::string_view kNoAsyncResult = "void";

void AppendParagraph(std::string& text, std::string_view paragraph) {
    if (paragraph.empty()) return;
    text += EscapeEpytext(paragraph);
    text += kParagraphEnd;
}

void AppendTags(std::string& text, const std::vector<std::string>& tags) {
    if (tags.empty()) return;
    text += "@tags: ";
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (i != 0) text += ',';
        text += tags[i];
    }
    text += kLineEnd;
}

BindingFullTypeIdentifier FullIdentifier(const TypeDescriptor& type) {
    TypeIdentifier identifier = type.Identifier();
    return {std::move(identifier.type), std::move(identifier.elementType)};
}

template <typename Entries, typename Describe>
void AppendFull(const BindingRegistry& registry, const Entries& entries, Describe describe,
                BindingProperty& list, BindingResult& result) {
    list.MakeCollection();
    list.Reserve(entries.size());
    for (const auto& entry : entries) {
        if (result.Failed()) return;
        Convert(registry, describe(*entry), list.AppendElement(), result);
    }
}

template <typename Entries, typename Text>
void AppendEpytext(const Entries& entries, Text text, BindingProperty& texts) {
    texts.MakeStructure();
    for (const auto& entry : entries) texts.WriteField(entry->name).SetString(text(*entry));
}

template <typename Entry>
void SortByName(std::vector<Entry>& entries) {
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a->name < b->name; });
}

}  // namespace

std::string EscapeEpytext(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '-' && i == 0) {
            escaped += "E{-}";
        } else if (c == '{') {
            escaped += "E{lb}";
        } else if (c == '}') {
            escaped += "E{rb}";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string FunctionEpytext(const FunctionRecord& function) {
    std::string text;
    AppendParagraph(text, function.description);
    AppendParagraph(text, function.help);
    for (const ArgumentRecord& argument : function.arguments) {
        if (!argument.description.empty()) {
            text += "@param " + argument.name + ": ";
            if (argument.optional) text += "(optional) ";
            text += EscapeEpytext(argument.description);
            text += kLineEnd;
        }
        text += "@type " + argument.name + ": " + argument.type.HelpName();
        text += kLineEnd;
    }
    if (function.returns.Kind() != NativeTypeKind::None) {
        text += "@rtype: " + function.returns.HelpName();
        text += kLineEnd;
    }
    AppendTags(text, function.tags);
    if (function.threadSafe) {
        text += "@threadsafe: true";
        text += kLineEnd;
    }
    if (function.async) {
        text += "@async: ";
        if (function.asyncResult.Kind() == NativeTypeKind::None) {
            text += kNoAsyncResult;
        } else {
            text += function.asyncResult.HelpName();
        }
        text += kLineEnd;
    }
    return text;
}

std::string TypeEpytext(const TypeRecord& type) {
    std::string text;
    AppendParagraph(text, type.Description());
    if (type.IsEnumeration()) {
        for (const EnumeratorRecord* enumerator : type.ValuesByNumber()) {
            text += "@cvar " + enumerator->name + ": (" + std::to_string(enumerator->value) + ")";
            if (!enumerator->description.empty()) text += " " + EscapeEpytext(enumerator->description);
            text += kLineEnd;
        }
        AppendTags(text, type.Tags());
        text += "@size: " + std::to_string(type.NativeSize());
        text += kLineEnd;
        return text;
    }
    for (const FieldRecord& field : type.Fields()) {
        text += "@ivar " + field.Key() + ": " + EscapeEpytext(field.Description());
        text += kLineEnd;
        text += "@type " + field.Key() + ": " + field.Type().HelpName();
        text += kLineEnd;
    }
    AppendTags(text, type.Tags());
    return text;
}

std::string EventEpytext(const EventRecord& event) {
    std::string text;
    AppendParagraph(text, event.description);
    AppendTags(text, event.tags);
    return text;
}

BindingFullFunctionHelp FullFunctionHelp(const FunctionRecord& function) {
    BindingFullFunctionHelp help;
    help.name = function.name;
    help.nameSpace = function.nameSpace;
    for (const ArgumentRecord& argument : function.arguments) {
        help.arguments.push_back(
            {argument.name, argument.description, FullIdentifier(argument.type), argument.optional});
    }
    help.returns = FullIdentifier(function.returns);
    help.description = function.description;
    help.help = function.help;
    help.threadSafe = function.threadSafe;
    if (function.async) {
        help.async = function.asyncResult.Kind() == NativeTypeKind::None ? std::string(kNoAsyncResult)
                                                                         : function.asyncResult.NativeName();
    }
    help.tags = function.tags;
    return help;
}

BindingFullTypeHelp FullTypeHelp(const TypeRecord& type) {
    BindingFullTypeHelp help;
    help.name = type.Name();
    help.nameSpace = type.NameSpace();
    help.size = type.NativeSize();
    help.description = type.Description();
    help.tags = type.Tags();
    for (const FieldRecord& field : type.Fields()) {
        help.fields.push_back({field.Key(), field.Description(), field.Offset(), FullIdentifier(field.Type()),
                               !field.Required()});
    }
    for (const EnumeratorRecord* enumerator : type.ValuesByNumber()) {
        help.values.push_back({enumerator->name, enumerator->description, enumerator->value});
    }
    return help;
}

BindingFullEventHelp FullEventHelp(const EventRecord& event) {
    return {event.name, event.nameSpace, FullIdentifier(event.payload), event.description, event.tags};
}

BindingResult Help(const BindingRegistry& registry, BindingHelpFormat format) {
    auto functions = registry.FunctionsSnapshot();
    auto types = registry.TypesSnapshot();
    auto events = registry.EventsSnapshot();
    SortByName(functions);
    std::sort(types.begin(), types.end(),
              [](const TypeRecord* a, const TypeRecord* b) { return a->Name() < b->Name(); });
    SortByName(events);

    BindingResult result;
    BindingProperty help;
    help.MakeStructure();
    // Each field is finished before the next is added: adding a field may move the others.
    switch (format) {
        case BindingHelpFormat::Full:
            AppendFull(registry, functions, FullFunctionHelp, help.WriteField("functions"), result);
            AppendFull(
                registry, types, [](const TypeRecord& type) { return FullTypeHelp(type); },
                help.WriteField("types"), result);
            AppendFull(registry, events, FullEventHelp, help.WriteField("events"), result);
            break;
        case BindingHelpFormat::Epytext: {
            AppendEpytext(functions, FunctionEpytext, help.WriteField("functions"));
            BindingProperty& typeTexts = help.WriteField("types");
            typeTexts.MakeStructure();
            for (const TypeRecord* type : types)
                typeTexts.WriteField(type->Name()).SetString(TypeEpytext(*type));
            AppendEpytext(events, EventEpytext, help.WriteField("events"));
            break;
        }
        default:
            help.WriteField("functions");
            help.WriteField("types");
            help.WriteField("events");
            break;
    }
    if (result.Succeeded()) result.Value() = std::move(help);
    return result;
}

}  // namespace Zarn::Binding
