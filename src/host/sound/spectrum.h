// The sound as pages get it: 128 values from 0 to 1, the left channel's 64
// bands from bass to treble, then the right's, 30 times a second. Never the
// samples themselves: a page learns how loud each band is, no more.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

struct kiss_fftr_state;

namespace host::sound {

inline constexpr int kRate = 48000;      // frames a second, as recorded
inline constexpr int kFftSize = 4096;    // 11.7 Hz a bin: the bass bands get bins of their own
inline constexpr int kHop = kRate / 30;  // a new spectrum every 1,600 frames
inline constexpr int kBands = 64;        // a channel
inline constexpr double kLowHz = 50, kHighHz = 16000;
inline constexpr double kRangeDb = 60;   // the quietest band shown, below full scale
inline constexpr float kFall = 0.1f;     // the most a value falls in a frame

using Values = std::array<float, 2 * kBands>;

class Spectrum {
  public:
    Spectrum();
    ~Spectrum();
    Spectrum(const Spectrum&) = delete;
    Spectrum& operator=(const Spectrum&) = delete;

    // Adds frames of interleaved stereo samples (full scale is 1); each time
    // a hop is complete, out gets the spectrum of the last kFftSize frames.
    void Add(const float* interleaved, std::size_t frames,
             const std::function<void(const Values&)>& out);
    // Forgets what was heard: after a gap the bands start from silence.
    void Reset();
    // The first FFT bin of each band, and the end of the last (kBands + 1).
    const std::vector<int>& Edges() const { return edges_; }

  private:
    void Compute(const std::function<void(const Values&)>& out);

    kiss_fftr_state* fft_;
    std::vector<float> window_;
    std::array<std::vector<float>, 2> ring_; // the last kFftSize frames, a channel each
    std::size_t at_ = 0;                      // where the next frame goes in the rings
    int sinceLast_ = 0;                       // frames since the last spectrum
    std::vector<int> edges_;
    std::vector<float> in_;
    std::vector<float> magnitude_;
    std::vector<std::array<float, 2>> out_; // kiss_fft_cpx, as plain floats
    Values values_{};
    double windowSum_ = 0;
};

} // namespace host::sound
