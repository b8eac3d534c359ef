#include "host/sound/spectrum.h"

#include <algorithm>
#include <cmath>
#include <kiss_fftr.h>

namespace host::sound {

static_assert(sizeof(kiss_fft_cpx) == sizeof(std::array<float, 2>));

Spectrum::Spectrum() : fft_(kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr)) {
    window_.resize(kFftSize);
    for (int i = 0; i < kFftSize; ++i) {
        window_[i] = float(0.5 - 0.5 * std::cos(2 * M_PI * i / (kFftSize - 1))); // Hann
        windowSum_ += window_[i];
    }
    for (auto& r : ring_)
        r.assign(kFftSize, 0.f);
    in_.resize(kFftSize);
    out_.resize(kFftSize / 2 + 1);
    magnitude_.resize(kFftSize / 2 + 1);
    // Bands spaced evenly in pitch; where the low ones would share a bin,
    // each takes the next, so that every band has one of its own.
    const double binHz = double(kRate) / kFftSize;
    const int lastBin = kFftSize / 2;
    for (int b = 0; b <= kBands; ++b) {
        double hz = kLowHz * std::pow(kHighHz / kLowHz, double(b) / kBands);
        int bin = int(std::lround(hz / binHz));
        if (!edges_.empty()) bin = std::max(bin, edges_.back() + 1);
        edges_.push_back(std::min(bin, lastBin + 1));
    }
}

Spectrum::~Spectrum() {
    kiss_fftr_free(fft_);
}

void Spectrum::Reset() {
    for (auto& r : ring_)
        std::fill(r.begin(), r.end(), 0.f);
    values_.fill(0.f);
    sinceLast_ = 0;
}

void Spectrum::Add(const float* interleaved, std::size_t frames,
                   const std::function<void(const Values&)>& out) {
    for (std::size_t f = 0; f < frames; ++f) {
        ring_[0][at_] = interleaved[2 * f];
        ring_[1][at_] = interleaved[2 * f + 1];
        at_ = (at_ + 1) % kFftSize;
        if (++sinceLast_ == kHop) {
            sinceLast_ = 0;
            Compute(out);
        }
    }
}

void Spectrum::Compute(const std::function<void(const Values&)>& out) {
    // A full-scale sine reads 1: twice the bin's magnitude over the window's sum.
    const double scale = 2 / windowSum_;
    auto* bins = reinterpret_cast<kiss_fft_cpx*>(out_.data());
    for (int c = 0; c < 2; ++c) {
        const std::vector<float>& ring = ring_[c];
        for (int i = 0; i < kFftSize; ++i) // oldest first
            in_[i] = ring[(at_ + i) % kFftSize] * window_[i];
        kiss_fftr(fft_, in_.data(), bins);
        for (std::size_t k = 0; k < magnitude_.size(); ++k)
            magnitude_[k] = float(std::hypot(bins[k].r, bins[k].i) * scale);
        for (int b = 0; b < kBands; ++b) {
            float peak = 0;
            for (int k = edges_[b]; k < edges_[b + 1] && k < int(magnitude_.size()); ++k)
                peak = std::max(peak, magnitude_[k]);
            float level = peak > 0 ? float((20 * std::log10(peak) + kRangeDb) / kRangeDb) : 0.f;
            level = std::clamp(level, 0.f, 1.f);
            float& v = values_[c * kBands + b];
            v = std::max(level, v - kFall);
            if (v < 0) v = 0;
        }
    }
    out(values_);
}

} // namespace host::sound
