// The generator's random numbers: xoshiro256** seeded through splitmix64, with integer-only
// helpers, so that a seed gives the same practice with any compiler and standard library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace demo {

// Mixes two numbers into a well-spread seed (splitmix64 finaliser).
inline uint64_t Mix(uint64_t a, uint64_t b) {
    uint64_t z = a + 0x9e3779b97f4a7c15ULL * (b + 1);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

class Rng {
  public:
    explicit Rng(uint64_t seed) {
        for (int i = 0; i < 4; ++i)
            s_[i] = Mix(seed, static_cast<uint64_t>(i));
    }

    uint64_t Next() {
        const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
        const uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = Rotl(s_[3], 45);
        return result;
    }

    // Uniform in [lo, hi] (lo when hi < lo).
    int64_t Range(int64_t lo, int64_t hi) {
        if (hi <= lo) return lo;
        const uint64_t n = static_cast<uint64_t>(hi - lo) + 1;
        const unsigned __int128 m = static_cast<unsigned __int128>(Next()) * n;
        return lo + static_cast<int64_t>(m >> 64);
    }
    int Int(int lo, int hi) { return static_cast<int>(Range(lo, hi)); }
    // Index in [0, n).
    size_t Index(size_t n) {
        return n ? static_cast<size_t>(Range(0, static_cast<int64_t>(n) - 1)) : 0;
    }
    // True with probability per_mille / 1000.
    bool PerMille(int per_mille) { return Range(0, 999) < per_mille; }
    bool Percent(int percent) { return Range(0, 99) < percent; }

    // An index drawn with the given integer weights.
    size_t Weighted(const int* weights, size_t n) {
        int64_t total = 0;
        for (size_t i = 0; i < n; ++i)
            total += weights[i];
        int64_t r = Range(0, total - 1);
        for (size_t i = 0; i < n; ++i) {
            if (r < weights[i]) return i;
            r -= weights[i];
        }
        return n - 1;
    }
    size_t Weighted(std::initializer_list<int> weights) {
        return Weighted(weights.begin(), weights.size());
    }
    size_t Weighted(const std::vector<int>& weights) {
        return Weighted(weights.data(), weights.size());
    }

    // Roughly bell-shaped around (lo + hi) / 2: the mean of three uniform draws.
    int64_t Bell(int64_t lo, int64_t hi) {
        return (Range(lo, hi) + Range(lo, hi) + Range(lo, hi)) / 3;
    }

    template <class T>
    const T& Pick(const std::vector<T>& v) {
        return v[Index(v.size())];
    }
    template <class T, size_t N>
    const T& Pick(const T (&a)[N]) {
        return a[Index(N)];
    }

  private:
    static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    uint64_t s_[4];
};

}  // namespace demo
