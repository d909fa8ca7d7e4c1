#pragma once
// One list of fields per structure of game variables, kept beside the fields
// themselves: the state dump and the replay checksum are both written from it.
//
//     struct TExample {
//         int32_t Health = 0;
//         bool Blink = false;
//         static constexpr auto Fields = std::tuple{
//             Field("Health", &TExample::Health),
//             Field("Blink", &TExample::Blink, TFieldUse::DumpOnly),
//         };
//     };
//     static_assert(ListsEveryMember<TExample>(), "a field of TExample is not listed");
//
// The list is a table of names and member pointers rather than a function
// that writes the fields, so that the build itself can hold it against the
// structure: ListsEveryMember counts the structure's members by initialising
// it from braces, and a member added without its line fails that
// static_assert on every compiler (a check on sizeof would depend on padding
// and on the compiler). The structures must stay aggregates whose members are
// no C arrays (use std::array): braces would reach into such an array's
// elements and the count would be off.
#include <cstddef>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tibo {

enum class TFieldUse {
    Checked,   // in the state dump and in the replay checksum
    DumpOnly,  // in the state dump only: it follows the window rather than the game
};

// A field by its name in the state dump: a member pointer of its structure, or
// a function of the object that reads a value no member holds as such.
template <class Access>
struct TField {
    std::string_view Name;
    Access Get;
    TFieldUse Use = TFieldUse::Checked;
};

template <class Access>
constexpr TField<Access> Field(std::string_view name, Access get, TFieldUse use = TFieldUse::Checked) {
    return TField<Access>{name, get, use};
}

// A structure with a list of its fields; lists within it are written flat, in
// the same object as the fields around them.
template <class T>
concept HasFieldList = requires { T::Fields; };

namespace field_list_detail {

// Converts to the type of any member; only named in unevaluated checks.
struct TAnyMember {
    template <class T>
    constexpr operator T() const;  // NOLINT: implicit by design
};

template <class T, std::size_t... I>
constexpr bool BracesTake(std::index_sequence<I...>) {
    return requires { T{(static_cast<void>(I), TAnyMember{})...}; };
}

template <class T, std::size_t N = 0>
constexpr std::size_t MemberCount() {
    if constexpr (BracesTake<T>(std::make_index_sequence<N + 1>{})) return MemberCount<T, N + 1>();
    else return N;
}

template <class A, class B>
constexpr bool SameMember(const TField<A>& a, const TField<B>& b) {
    if constexpr (std::is_same_v<A, B> && std::is_member_object_pointer_v<A>) return a.Get == b.Get;
    else return false;
}

template <class Tuple, std::size_t... I>
constexpr bool NoneTwice(const Tuple& fields, std::index_sequence<I...>) {
    bool once = true;
    const auto against = [&](auto i) {
        ((once = once && (I <= i.value || !SameMember(std::get<i.value>(fields), std::get<I>(fields)))), ...);
    };
    (against(std::integral_constant<std::size_t, I>{}), ...);
    return once;
}

template <class T, class Access>
constexpr bool IsMemberOf = false;
template <class T, class Value>
constexpr bool IsMemberOf<T, Value T::*> = std::is_member_object_pointer_v<Value T::*>;

template <class T, std::size_t... I>
constexpr bool AllMembersOf(std::index_sequence<I...>) {
    return (IsMemberOf<T, decltype(std::get<I>(T::Fields).Get)> && ...);
}

}  // namespace field_list_detail

// The number of members of an aggregate, counted from braces.
template <class T>
constexpr std::size_t MemberCount() {
    static_assert(std::is_aggregate_v<T>);
    return field_list_detail::MemberCount<T>();
}

// T::Fields names each member of T once, by its member pointer, and nothing else.
template <class T>
constexpr bool ListsEveryMember() {
    constexpr std::size_t listed = std::tuple_size_v<std::remove_cvref_t<decltype(T::Fields)>>;
    return field_list_detail::AllMembersOf<T>(std::make_index_sequence<listed>{}) && listed == MemberCount<T>() &&
           field_list_detail::NoneTwice(T::Fields, std::make_index_sequence<listed>{});
}

}  // namespace tibo
