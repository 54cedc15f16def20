#include "tools/mox_host/transcript_line.h"

#include "encodings/json_writer.h"

namespace Zarn::MoxHost {

using Binding::BindingProperty;
using Host::BoundaryKind;

namespace {

void SetPairs(BindingProperty& target, const Host::TextPairs& pairs) {
    target.MakeCollection();
    for (const auto& [name, value] : pairs) {
        BindingProperty& pair = target.AppendElement();
        pair.AppendElement().SetString(name);
        pair.AppendElement().SetString(value);
    }
}

}  // namespace

BindingProperty TranscriptObject(const Host::BoundaryRecord& record) {
    BindingProperty line;
    line.WriteField("kind").SetString(Host::BoundaryKindName(record.kind));
    switch (record.kind) {
        case BoundaryKind::kLoad: {
            BindingProperty& version = line.WriteField("version");
            version.MakeCollection();
            for (std::uint32_t part : record.version) version.AppendElement().SetUnsigned(part);
            line.WriteField("name").SetString(record.name);
            BindingProperty& functions = line.WriteField("functions");
            functions.MakeCollection();
            for (const std::string& name : record.functions) functions.AppendElement().SetString(name);
            break;
        }
        case BoundaryKind::kInitialize:
            line.WriteField("result") = record.result;
            break;
        case BoundaryKind::kDeliver:
            line.WriteField("name").SetString(record.name);
            line.WriteField("payload") = record.payload;
            break;
        case BoundaryKind::kSubscribe:
        case BoundaryKind::kUnsubscribe:
            line.WriteField("name").SetString(record.name);
            line.WriteField("flag").SetUnsigned(record.flag);
            break;
        case BoundaryKind::kEvent:
            line.WriteField("name").SetString(record.name);
            line.WriteField("flag").SetUnsigned(record.flag);
            line.WriteField("payload") = record.payload;
            break;
        case BoundaryKind::kRequest:
            line.WriteField("method").SetString(record.method);
            line.WriteField("path").SetString(record.path);
            line.WriteField("params") = record.params;
            line.WriteField("contentType").SetString(record.contentType);
            line.WriteField("body").SetString(record.body);
            line.WriteField("status").SetUnsigned(record.status);
            line.WriteField("error").SetString(record.error);
            break;
        case BoundaryKind::kExternal:
            line.WriteField("method").SetString(record.method);
            line.WriteField("url").SetString(record.url);
            SetPairs(line.WriteField("headers"), record.headers);
            line.WriteField("status").SetUnsigned(record.status);
            line.WriteField("error").SetString(record.error);
            break;
        case BoundaryKind::kTimer:
            line.WriteField("label").SetString(record.label);
            line.WriteField("delay").SetFloat(record.delay);
            break;
        case BoundaryKind::kWait:
        case BoundaryKind::kEndWait:
            line.WriteField("label").SetString(record.label);
            break;
        case BoundaryKind::kLog:
            line.WriteField("level").SetUnsigned(record.level);
            line.WriteField("text").SetString(record.text);
            break;
        case BoundaryKind::kCall:
            line.WriteField("method").SetString(record.method);
            line.WriteField("path").SetString(record.path);
            line.WriteField("status").SetUnsigned(record.status);
            line.WriteField("result") = record.result;
            line.WriteField("error").SetString(record.error);
            break;
        case BoundaryKind::kFault:
            line.WriteField("text").SetString(record.text);
            break;
        case BoundaryKind::kYield:
        case BoundaryKind::kShutdown:
            break;
    }
    return line;
}

std::string TranscriptLine(const BindingProperty& object) { return Encodings::WriteJson(object); }

}  // namespace Zarn::MoxHost
