// The formula language's reference evaluator: values, rejections, odd texts, six-digit steps.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "analysis/EvaluateExpression.h"

namespace quillon {
namespace {

struct Case {
    const char* text;
    double expected;
};

double Evaluate(const std::string& text) {
    double result = 12345.0;
    EXPECT_TRUE(EvaluateExpression(text, result)) << text;
    return result;
}

TEST(EvaluateExpression, ComputesWellFormedExpressions) {
    const Case cases[] = {
        {"2+3*4", 14},          {"(2+3)*4", 20}, {"8-2-1", 5},      {"2^3^2", 512},
        {"10/4", 2.5},          {"-5*3", -15},   {"2*-5", -10},     {"(-12.5)", -12.5},
        {"2^-1", 0.5},          {"7", 7},        {"007.50", 7.5},   {".5+5.", 5.5},
        {"((1+2))*3", 9},       {"2*3^2", 18},   {"(2*3)^2", 36},   {"1-(2-3)", 2},
        {"0.1+0.2", 0.1 + 0.2},  // the last operation keeps full precision
        {"(2)-3", -1},          {"(2)-(3)", -1}, {"(1+1)-3*2", -4},  // a minus after ")" subtracts
    };
    for (const Case& c : cases)
        EXPECT_EQ(Evaluate(c.text), c.expected) << c.text;
}

TEST(EvaluateExpression, RejectsSignPairsAndForeignCharacters) {
    for (const char* text :
         {"3--2", "1+-2", "1-+2", "1++2", "3 + 2", "2a", "1e5", "[002]*2", "1,5", "--"}) {
        double result = 12345.0;
        EXPECT_FALSE(EvaluateExpression(text, result)) << text;
        EXPECT_EQ(result, 12345.0) << text;
    }
    double untouched = 0.0;
    EXPECT_FALSE(EvaluateExpression(std::string("1\0", 2), untouched));
    EXPECT_FALSE(CheckExpressionCharacters(std::string("\xB0", 1)));
    EXPECT_TRUE(CheckExpressionCharacters("*-(-"));
}

TEST(EvaluateExpression, GivesNumbersForMalformedAcceptedTexts) {
    const Case cases[] = {
        {"", 0},        {"+5", 0},     {"2*+5", 0}, {"2(3)", 0}, {"(5", 5}, {"5)", 5},
        {"1.5.5*2", 3}, {"-(2+3)", 1}, {"5-", 0},   {"*", 0},    {".", 0},  {"(", 0},
        {"-", 0},       {"5)+3", 5},   {"2*3+", 6},  // the trailing operator finds one operand:
                                                     // result of the product stays
    };
    for (const Case& c : cases)
        EXPECT_EQ(Evaluate(c.text), c.expected) << c.text;
}

TEST(EvaluateExpression, IntermediatesTravelAsSixDigitTexts) {
    EXPECT_EQ(Evaluate("1234567*1+0"), 1234570.0);
    EXPECT_EQ(Evaluate("1/3*3"), 0.999999);
    EXPECT_EQ(Evaluate("1234567*1"), 1234567.0);  // the last operation is not rounded
    EXPECT_EQ(Evaluate("0.0000001234567*1+0"), 1.23457e-07);
}

TEST(EvaluateExpression, NonFiniteResultsSignedZerosAndExtremeDigitRuns) {
    EXPECT_EQ(Evaluate("5/0"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Evaluate("-5/0"), -std::numeric_limits<double>::infinity());
    // An infinite intermediate is written "inf" and read back as an infinity.
    EXPECT_EQ(Evaluate("5/0+1"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Evaluate("10^400"), std::numeric_limits<double>::infinity());
    // Every not-a-number is the same positive quiet NaN, also through an intermediate text.
    const uint64_t quiet = std::bit_cast<uint64_t>(std::numeric_limits<double>::quiet_NaN());
    for (const char* text : {"0/0", "(0-2)^0.5", "0/0*1+1", "5/0-5/0", "0*(1/0)"}) {
        const double value = Evaluate(text);
        EXPECT_EQ(std::bit_cast<uint64_t>(value), quiet) << text;
    }
    // Signed zeros and extreme digit runs.
    EXPECT_TRUE(std::signbit(Evaluate("-0")));
    EXPECT_TRUE(std::signbit(Evaluate("-0*1")));
    EXPECT_FALSE(std::signbit(Evaluate("0*1")));
    EXPECT_EQ(Evaluate(std::string(400, '9')), std::numeric_limits<double>::infinity());
    EXPECT_EQ(Evaluate("." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(Evaluate("-" + std::string(400, '9') + "*1"),
              -std::numeric_limits<double>::infinity());
}

}  // namespace
}  // namespace quillon
