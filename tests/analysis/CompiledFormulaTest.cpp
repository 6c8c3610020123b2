// The compiled formula against the reference (expanded text): chosen and random cases.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/CompiledFormula.h"
#include "analysis/EvaluateExpression.h"
#include "analysis/FormulaExpansion.h"

namespace quillon {
namespace {

using Values = std::map<int, float>;

struct Outcome {
    bool ok = false;
    double value = 0.0;
};

Outcome ByText(const std::string& formula, const Values& values) {
    Outcome outcome;
    const auto text = ExpandFormula(formula, [&](int channel) -> std::optional<float> {
        auto it = values.find(channel);
        return it == values.end() ? 0.0f : it->second;
    });
    outcome.ok = text && EvaluateExpression(*text, outcome.value);
    return outcome;
}

Outcome Compiled(const std::string& formula, const Values& values) {
    const CompiledFormula compiled(formula);
    std::vector<float> ordered;
    for (int channel : compiled.Channels()) {
        auto it = values.find(channel);
        ordered.push_back(it == values.end() ? 0.0f : it->second);
    }
    Outcome outcome;
    outcome.ok = compiled.Evaluate(ordered.data(), outcome.value);
    return outcome;
}

// Both paths agree on the verdict and, when there is a value, on every bit of it.
Outcome ExpectSame(const std::string& formula, const Values& values) {
    const Outcome text = ByText(formula, values);
    const Outcome compiled = Compiled(formula, values);
    EXPECT_EQ(text.ok, compiled.ok) << formula;
    if (text.ok && compiled.ok) {
        EXPECT_EQ(std::bit_cast<uint64_t>(text.value), std::bit_cast<uint64_t>(compiled.value))
            << formula << " text " << text.value << " compiled " << compiled.value;
    }
    return text;
}

double Value(const std::string& formula, const Values& values) {
    const Outcome outcome = Compiled(formula, values);
    EXPECT_TRUE(outcome.ok) << formula;
    ExpectSame(formula, values);
    return outcome.value;
}

TEST(CompiledFormula, SubstitutedValuesActAsSignedNumbers) {
    EXPECT_EQ(Value("[002]*2", {{2, 1500.0f}}), 3000.0);
    EXPECT_EQ(Value("5-[003]", {{3, -2.0f}}), 7.0);
    EXPECT_TRUE(std::signbit(Value("[002]", {{2, -0.0000001f}})));  // "-0.000000"
    EXPECT_EQ(Value("[2]+[0002]", {{2, 1.25f}}), 2.5);  // any run of digits names the channel
    EXPECT_EQ(Value("[002][003]", {{2, 1.0f}, {3, 2.0f}}), 0.0);  // two numbers, no operator
    // A sign typed before a reference glues to the value's text: it negates a positive value
    // and spoils a negative one ("--2.000000" reads as 0).
    EXPECT_EQ(Value("-[002]", {{2, 2.0f}}), -2.0);
    EXPECT_EQ(Value("-[002]", {{2, -2.0f}}), 0.0);
    EXPECT_EQ(Value("1*-[002]", {{2, 3.0f}}), -3.0);
    // Values are read from their "%f" texts: six decimals, an exact tie rounded to even.
    EXPECT_EQ(Value("[002]*1", {{2, 1.0f / 128}}), 0.007812);
    EXPECT_EQ(Value("[002]*1000000", {{2, 0.1f}}), 100000.0);
    // Long expansions are evaluated whole: eight values of 1e30 expand to about 330 characters.
    EXPECT_EQ(Value("[002]/[002]+[002]/[002]+[002]/[002]+[002]/[002]", {{2, 1e30f}}), 4.0);
    constexpr float kMax = std::numeric_limits<float>::max();
    EXPECT_EQ(Value("[002]", {{2, kMax}}), double(kMax));
}

TEST(CompiledFormula, FramesWithoutAValue) {
    // A value that is not finite prints as "inf" or "nan", which fails the character check.
    for (float bad :
         {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        double result = 42.0;
        EXPECT_FALSE(CompiledFormula("[002]*0+1").Evaluate(&bad, result));
        EXPECT_EQ(result, 42.0);
        ExpectSame("[002]*0+1", {{2, bad}});
    }
    ExpectSame("[002]--1", {{2, 1.0f}});  // fails the check whatever the values
    // Unclosed, empty, non-numeric and out-of-range references cannot be expanded at all.
    for (const char* formula : {"[]", "[[002]]", "[99999999999999999999]"})
        EXPECT_FALSE(CompiledFormula(formula).IsExpandable() || ByText(formula, {}).ok) << formula;
    EXPECT_EQ(CompiledFormula("[369]+[002]*[0369]").Channels(), (std::vector<int>{369, 2}));
}

// Random formulas from the accepted characters and references; half of them grammatical.
class FormulaGenerator {
public:
    explicit FormulaGenerator(uint64_t seed) : m_random(seed) {}

    std::string Next() { return Pick(2) ? Expression(0) : Soup(); }

    float NextValue() {
        constexpr float kMax = std::numeric_limits<float>::max();
        // clang-format off
        static const float kEdgeValues[] = {
            0.0f, -0.0f, 1500.0f, -2.0f, 1.0f / 128, -3.0f / 128, 1e-9f, -1e-9f, 0.5f, 123456.789f,
            kMax, -kMax, 1e30f, std::numeric_limits<float>::denorm_min(),
            std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()};
        // clang-format on
        const size_t kind = Pick(4);
        if (kind == 0) return kEdgeValues[Pick(std::size(kEdgeValues))];
        if (kind == 1) return std::bit_cast<float>(uint32_t(m_random()));
        if (kind == 2) return float(int(Pick(20001)) - 10000) / 128.0f;
        return std::uniform_real_distribution<float>(-5000.0f, 5000.0f)(m_random);
    }

    static constexpr int kChannels[] = {2, 3, 7, 369};

private:
    size_t Pick(size_t n) { return size_t(m_random() % n); }

    std::string Reference() {
        char text[16];
        std::snprintf(text, sizeof text, Pick(4) ? "[%03i]" : "[%i]", kChannels[Pick(4)]);
        return text;
    }
    std::string Number() {
        std::string text;
        const size_t digits = 1 + Pick(8);
        for (size_t i = 0; i < digits; ++i)
            text += char('0' + Pick(10));
        if (Pick(2)) text.insert(Pick(text.size() + 1), ".");
        return text;
    }
    std::string Term(int depth) {
        const size_t kind = Pick(depth > 3 ? 3 : 6);
        if (kind == 0) return Number();
        if (kind <= 2) return Reference();
        if (kind == 3) return "(" + Expression(depth + 1) + ")";
        if (kind == 4) return "-" + Term(depth + 1);
        return "(-" + Term(depth + 1) + ")";
    }
    std::string Expression(int depth) {
        static const char kOperators[] = "+-*/^";
        std::string text = Term(depth);
        const size_t more = Pick(depth > 2 ? 2 : 5);
        for (size_t i = 0; i < more; ++i)
            text += kOperators[Pick(5)] + Term(depth);
        return text;
    }
    // Any sequence of accepted characters and references.
    std::string Soup() {
        static const char kCharacters[] = "0123456789+-*/^().";
        std::string text;
        const size_t length = Pick(30);
        for (size_t i = 0; i < length; ++i) {
            if (Pick(5) == 0)
                text += Reference();
            else if (Pick(4) == 0)
                text += "()-."[Pick(4)];
            else
                text += kCharacters[Pick(18)];
        }
        return text;
    }

    std::mt19937_64 m_random;
};

TEST(CompiledFormula, MatchesTheReferenceOnRandomFormulasAndValues) {
    FormulaGenerator generator(20260101);
    int accepted = 0;
    for (int i = 0; i < 6000; ++i) {
        const std::string formula = generator.Next();
        const CompiledFormula compiled(formula);
        EXPECT_FALSE(compiled.UsesTextFallback()) << formula;
        // Three frames: each checked alone, then all through the block evaluation, where a
        // frame without a value keeps the result of the frame before.
        std::vector<std::vector<float>> columns(compiled.Channels().size());
        double carried = -999999.0;
        std::vector<float> expected;
        for (int round = 0; round < 3; ++round) {
            Values values;
            for (int channel : FormulaGenerator::kChannels)
                values[channel] = generator.NextValue();
            const Outcome text = ExpectSame(formula, values);
            accepted += text.ok;
            if (HasFailure()) return;  // one case is enough to see what went wrong
            if (text.ok) carried = text.value;
            expected.push_back(float(carried));
            for (size_t c = 0; c < columns.size(); ++c)
                columns[c].push_back(values[compiled.Channels()[c]]);
        }
        std::vector<const float*> sources;
        for (const auto& column : columns)
            sources.push_back(column.data());
        std::vector<float> out(3);
        double result = -999999.0;
        compiled.EvaluateFrames(sources.data(), 3, result, out.data());
        for (int f = 0; f < 3; ++f)
            ASSERT_EQ(std::bit_cast<uint32_t>(out[f]), std::bit_cast<uint32_t>(expected[f]))
                << formula << " frame " << f;
    }
    // Enough of the cases reach the arithmetic for the comparison to mean something.
    EXPECT_GT(accepted, 6000);
}

}  // namespace
}  // namespace quillon
