// The lists of fields the state dump and the replay checksum are written
// from: the build holds each list against its structure, so that a member
// missing from a list, listed twice or listed from another structure is
// caught when compiling.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <tuple>

#include "framework/FieldList.h"

namespace tibo {
namespace {

struct TInner {
    int32_t A = 0;
};

// Members of every kind the game's structures hold.
struct TAllKinds {
    uint8_t Small = 0;
    int8_t Signed = -1;
    char Letter = 'A';
    bool Flag = false;
    int32_t Number = 7;
    std::string Name = "Tibo";
    std::array<std::array<uint8_t, 4>, 4> Grid{};
    std::array<TInner, 3> Entries{};
    TInner Nested;

    static constexpr auto Fields = std::tuple{
        Field("Small", &TAllKinds::Small),   Field("Signed", &TAllKinds::Signed),
        Field("Letter", &TAllKinds::Letter), Field("Flag", &TAllKinds::Flag, TFieldUse::DumpOnly),
        Field("Number", &TAllKinds::Number), Field("Name", &TAllKinds::Name),
        Field("Grid", &TAllKinds::Grid),     Field("Entries", &TAllKinds::Entries),
        Field("Nested", &TAllKinds::Nested),
    };
};
static_assert(MemberCount<TAllKinds>() == 9);
static_assert(ListsEveryMember<TAllKinds>());

// The same with the member added last left out of the list.
struct TOneForgotten {
    int32_t A = 0;
    bool B = false;
    int32_t Added = 0;
    static constexpr auto Fields = std::tuple{Field("A", &TOneForgotten::A), Field("B", &TOneForgotten::B)};
};
static_assert(MemberCount<TOneForgotten>() == 3);
static_assert(!ListsEveryMember<TOneForgotten>());

// As many lines as members, but one member twice and another never.
struct TOneTwice {
    int32_t A = 0;
    int32_t B = 0;
    static constexpr auto Fields = std::tuple{Field("A", &TOneTwice::A), Field("B", &TOneTwice::A)};
};
static_assert(!ListsEveryMember<TOneTwice>());

// A line of another structure in place of the member's own.
struct TForeign {
    int32_t A = 0;
    static constexpr auto Fields = std::tuple{Field("A", &TInner::A)};
};
static_assert(!ListsEveryMember<TForeign>());

// A computed value counts as no member.
struct TComputed {
    int32_t A = 0;
    static constexpr auto Fields = std::tuple{Field("A", [](const auto& c) { return c.A; })};
};
static_assert(!ListsEveryMember<TComputed>());

TEST(FieldListTest, ALineNamesItsMemberAndReadsItsValue) {
    TAllKinds object;
    object.Number = 42;
    const auto& number = std::get<4>(TAllKinds::Fields);
    EXPECT_EQ(number.Name, "Number");
    EXPECT_EQ(object.*number.Get, 42);
    EXPECT_EQ(number.Use, TFieldUse::Checked) << "what is not marked is checked";
    EXPECT_EQ(std::get<3>(TAllKinds::Fields).Use, TFieldUse::DumpOnly);
    const auto computed = std::get<0>(TComputed::Fields);
    EXPECT_EQ(computed.Get(TComputed{5}), 5);
}

}  // namespace
}  // namespace tibo
