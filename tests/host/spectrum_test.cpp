// The spectrum pages are given: where tones land, how loud they read, how
// the bars fall, and that silence reads as zeros.
#include "host/sound/spectrum.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

using host::sound::kBands;
using host::sound::kRate;
using host::sound::Spectrum;
using host::sound::Values;

// Interleaved stereo: a sine on each channel (0 Hz: silence), at an amplitude.
std::vector<float> Tones(double leftHz, double rightHz, double amplitude, int frames) {
    std::vector<float> s(2 * frames);
    for (int i = 0; i < frames; ++i) {
        s[2 * i] = leftHz ? float(amplitude * std::sin(2 * M_PI * leftHz * i / kRate)) : 0.f;
        s[2 * i + 1] = rightHz ? float(amplitude * std::sin(2 * M_PI * rightHz * i / kRate)) : 0.f;
    }
    return s;
}

std::vector<Values> Feed(Spectrum& spectrum, const std::vector<float>& samples) {
    std::vector<Values> frames;
    spectrum.Add(samples.data(), samples.size() / 2, [&](const Values& v) { frames.push_back(v); });
    return frames;
}

int Loudest(const Values& v, int channel) {
    auto first = v.begin() + channel * kBands;
    return int(std::max_element(first, first + kBands) - first);
}

TEST(Spectrum, TonesLandInTheirBandsAtTheirLevel) {
    struct Case {
        double left, right, amplitude;
        int leftBand, rightBand;
        float level; // of the loudest band, either side
    } cases[] = {
        {440, 3000, 0.5, 24, 45, 0.9f},   // -6 dB: 54 of 60 dB
        {3000, 440, 1.0, 45, 24, 1.0f},   // the channels are not swapped
        {60, 12000, 0.1, 1, 60, 0.67f},   // -20 dB; a bass band of a bin of its own
        {440, 440, 0.01, 24, 24, 0.33f},  // -40 dB
    };
    for (const Case& c : cases) {
        Spectrum spectrum;
        auto frames = Feed(spectrum, Tones(c.left, c.right, c.amplitude, kRate)); // a second
        ASSERT_EQ(frames.size(), 30u) << "30 spectra a second";
        const Values& v = frames.back();
        EXPECT_EQ(Loudest(v, 0), c.leftBand) << c.left << " Hz";
        EXPECT_EQ(Loudest(v, 1), c.rightBand) << c.right << " Hz";
        EXPECT_NEAR(v[c.leftBand], c.level, 0.03) << c.left << " Hz at " << c.amplitude;
        EXPECT_NEAR(v[kBands + c.rightBand], c.level, 0.03) << c.right << " Hz at " << c.amplitude;
        for (float x : v)
            EXPECT_TRUE(x >= 0 && x <= 1);
    }
}

TEST(Spectrum, EveryBandHasABinAndTheyRiseFromBassToTreble) {
    Spectrum spectrum;
    const auto& edges = spectrum.Edges();
    ASSERT_EQ(edges.size(), size_t(kBands + 1));
    for (int b = 0; b < kBands; ++b)
        EXPECT_LT(edges[b], edges[b + 1]) << "band " << b;
    const double binHz = double(kRate) / host::sound::kFftSize;
    EXPECT_NEAR(edges.front() * binHz, 50, binHz);
    EXPECT_NEAR(edges.back() * binHz, 16000, 16000 * 0.1);
}

TEST(Spectrum, BarsFallBackSmoothlyToSilenceAndStartAfreshAfterReset) {
    Spectrum spectrum;
    Feed(spectrum, Tones(440, 440, 1.0, kRate / 2));
    auto after = Feed(spectrum, Tones(0, 0, 0, kRate));
    ASSERT_FALSE(after.empty());
    float was = 1;
    for (const Values& v : after) {
        EXPECT_GE(v[24], was - host::sound::kFall - 1e-6) << "fell too fast";
        EXPECT_LE(v[24], was + 1e-6);
        was = v[24];
    }
    for (float x : after.back())
        EXPECT_EQ(x, 0.f) << "silence reads as zeros";
    Feed(spectrum, Tones(440, 440, 1.0, kRate / 2));
    spectrum.Reset();
    auto fresh = Feed(spectrum, Tones(0, 0, 0, host::sound::kHop));
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0][24], 0.f) << "what was heard before the gap is forgotten";
}

} // namespace
