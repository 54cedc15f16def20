// Registering native records so that the registration reads like the definition:
//
//   RegisterStruct<Player>(registry, "MoxEndOfGame.Player")
//       .Field("summonerId", &Player::summonerId, "Summoner ID", FieldFlags::kOmitWhenDefault)
//       .Field("team", &Player::team, "Team of the player");
//   RegisterEnum<Team>(registry, "MoxEndOfGame.Team").Value("Blue", Team::Blue, "Blue side");
//
// Offsets, type descriptors and converters come from the member pointers, and a member of a type the
// conversions cannot handle stops the build with a message naming the mistake. The first registration of
// a name wins; a second one changes nothing. Called while the module initialises.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

#include "binding/binding_registry.h"
#include "binding/field_record.h"
#include "binding/native_conversion.h"
#include "binding/static_type.h"
#include "binding/type_builder.h"

namespace Zarn::Binding {

template <typename S>
class StructRegistration {
public:
    explicit StructRegistration(TypeBuilder builder) : builder_(builder) {}

    template <typename M>
    StructRegistration& Field(std::string_view key, M S::*member, std::string_view description = {},
                              FieldFlags flags = FieldFlags::kNone, std::uint8_t extraFlags = 0) {
        static_assert(!std::is_member_function_pointer_v<M S::*>,
                      "binding: Field takes a pointer to a data member, not to a member function");
        detail::CheckSupported<M>();
        if (builder_.Existing()) return *this;
        builder_.AddField(key, description, OffsetOf(member), StaticType::Of<M>(),
                          NativeTraits<M>::Describe(), std::nullopt, flags, ConverterOf<M>(), extraFlags);
        return *this;
    }

    StructRegistration& Description(std::string_view text) {
        builder_.SetDescription(text);
        return *this;
    }
    StructRegistration& NameSpace(std::string_view text) {
        builder_.SetNameSpace(text);
        return *this;
    }
    StructRegistration& Tag(std::string_view text) {
        builder_.AddTag(text);
        return *this;
    }

    TypeBuilder& Builder() { return builder_; }

private:
    // Measured on a default-constructed instance, which is well defined for any default-constructible
    // struct, standard layout or not.
    template <typename M>
    std::uint32_t OffsetOf(M S::*member) {
        if (!probe_) probe_ = std::make_unique<S>();
        const S& probe = *probe_;
        return static_cast<std::uint32_t>(reinterpret_cast<const unsigned char*>(&(probe.*member)) -
                                          reinterpret_cast<const unsigned char*>(&probe));
    }

    TypeBuilder builder_;
    std::unique_ptr<S> probe_;
};

template <typename E>
class EnumRegistration {
public:
    explicit EnumRegistration(TypeBuilder builder) : builder_(builder) {}

    EnumRegistration& Value(std::string_view name, E value, std::string_view description = {}) {
        builder_.AddValue(name, static_cast<std::int32_t>(value), description);
        return *this;
    }
    EnumRegistration& Description(std::string_view text) {
        builder_.SetDescription(text);
        return *this;
    }
    EnumRegistration& NameSpace(std::string_view text) {
        builder_.SetNameSpace(text);
        return *this;
    }
    EnumRegistration& Tag(std::string_view text) {
        builder_.AddTag(text);
        return *this;
    }

    TypeBuilder& Builder() { return builder_; }

private:
    TypeBuilder builder_;
};

template <typename S>
StructRegistration<S> RegisterStruct(BindingRegistry& registry, std::string_view name) {
    static_assert(
        detail::IsStructCandidate<S>(),
        "binding: RegisterStruct takes a struct or class of your own, not a scalar, enum or library type");
    static_assert(
        std::is_default_constructible_v<S>,
        "binding: a registered struct must be default-constructible (vectors and optionals of it are "
        "filled with default elements)");
    return StructRegistration<S>(
        registry.BeginRegistration(static_cast<std::uint32_t>(sizeof(S)), name, StaticType::Of<S>(), false));
}

template <typename E>
EnumRegistration<E> RegisterEnum(BindingRegistry& registry, std::string_view name) {
    static_assert(std::is_enum_v<E>, "binding: RegisterEnum takes an enum type");
    static_assert(!std::is_enum_v<E> || sizeof(E) <= sizeof(std::int32_t),
                  "binding: enumerator values are 32-bit");
    return EnumRegistration<E>(
        registry.BeginRegistration(static_cast<std::uint32_t>(sizeof(E)), name, StaticType::Of<E>(), true));
}

}  // namespace Zarn::Binding
