#include "runtime/failure.h"
#include "runtime/variant.h"

#include <gtest/gtest.h>

namespace {

long FailureNumber(auto&& f) {
    try {
        f();
    } catch (const Failure& e) {
        return e.Number;
    }
    return 0;
}

TEST(Val, ReadsTheLeadingNumberAndSkipsBlanks) {
    EXPECT_EQ(Val("2"), 2);
    EXPECT_EQ(Val("1abc"), 1);
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("  42  "), 42);
    EXPECT_EQ(Val("1 2"), 12);
    EXPECT_EQ(Val("-3.5x"), -3.5);
    EXPECT_EQ(Val("49&"), 49);
    EXPECT_EQ(Val("1e2"), 100);
    EXPECT_EQ(Val("&H1F"), 31);
    EXPECT_EQ(Val(".5"), 0.5);
}

TEST(CInt, RoundsHalvesToEvenAndChecksTheRange) {
    EXPECT_EQ(CInt(Variant(2.5)), 2);
    EXPECT_EQ(CInt(Variant(3.5)), 4);
    EXPECT_EQ(CInt(Variant(-2.5)), -2);
    EXPECT_EQ(CInt(Variant(99.4)), 99);
    EXPECT_EQ(CInt(Variant("100")), 100);
    EXPECT_EQ(CInt(Variant(" 7 ")), 7);
    EXPECT_EQ(CInt(Variant(32767)), 32767);
    EXPECT_EQ(CInt(Variant(-32768)), -32768);
    EXPECT_EQ(CInt(Variant(true)), -1);
    EXPECT_EQ(CInt(Variant()), 0);
    EXPECT_EQ(FailureNumber([] { CInt(Variant(32768)); }), Err::Overflow);
    EXPECT_EQ(FailureNumber([] { CInt(Variant(32767.5)); }), Err::Overflow);
    EXPECT_EQ(FailureNumber([] { CInt(Variant("abc")); }), Err::TypeMismatch);
    EXPECT_EQ(FailureNumber([] { CInt(Variant("12abc")); }), Err::TypeMismatch);
    EXPECT_EQ(FailureNumber([] { CInt(Variant(" ")); }), Err::TypeMismatch);
    EXPECT_EQ(FailureNumber([] { CInt(Variant::Null()); }), Err::InvalidUseOfNull);
}

TEST(CStrAndCBool, ConvertAsTheProgramPrints) {
    EXPECT_EQ(CStr(Variant(49)), "49");
    EXPECT_EQ(CStr(Variant(0.5)), "0.5");
    EXPECT_EQ(CStr(Variant(true)), "True");
    EXPECT_EQ(CStr(Variant()), "");
    EXPECT_EQ(FailureNumber([] { CStr(Variant::Null()); }), Err::InvalidUseOfNull);
    EXPECT_TRUE(CBool(Variant(-1)));
    EXPECT_FALSE(CBool(Variant(0)));
    EXPECT_TRUE(CBool(Variant("True")));
    EXPECT_TRUE(CBool(Variant("2")));
    EXPECT_EQ(FailureNumber([] { CBool(Variant("maybe")); }), Err::TypeMismatch);
    EXPECT_EQ(FailureNumber([] { CBool(Variant::Null()); }), Err::InvalidUseOfNull);
}

TEST(Variant, KeepsNullApartFromEmptyText) {
    EXPECT_TRUE(Variant::Null().IsNull());
    EXPECT_FALSE(Variant("").IsNull());
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_NE(Variant::Null(), Variant(""));
    EXPECT_EQ(Variant(true).kind(), Variant::Kind::Boolean);
    EXPECT_EQ(CInt(Variant(false)), 0);
}

} // namespace
