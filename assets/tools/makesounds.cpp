// Writes the game's three explosion sounds as 16-bit mono PCM wave files at
// 22050 Hz: noise through simple filters under a falling envelope. A fixed
// seed makes every run write the same bytes.
//
//   zeb_makesounds [output directory]

#include "core/random.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr uint32_t SAMPLE_RATE = 22050;
constexpr uint32_t SOUND_SEED = 0x5A4542; // "ZEB"
constexpr uint32_t WAVE_HEADER_BYTES = 44;

using signal = std::vector<double>;

double noise() {
    return random15() / (RANDOM_MAX / 2.0) - 1.0;
}

size_t sampleCount(double seconds) {
    return static_cast<size_t>(seconds * SAMPLE_RATE + 0.5);
}

double lowPassFactor(double cutoff) {
    return std::exp(-2.0 * std::numbers::pi * cutoff / SAMPLE_RATE);
}

// Noise through a two-pole low pass: the lower the cutoff, the deeper the rumble.
signal filteredNoise(size_t count, double cutoff) {
    const double a = lowPassFactor(cutoff);
    double first = 0.0;
    double second = 0.0;
    signal out(count);
    for (double& sample : out) {
        first = a * first + (1.0 - a) * noise();
        second = a * second + (1.0 - a) * first;
        sample = second;
    }
    return out;
}

// Noise with its low part removed: the hiss of a pop.
signal brightNoise(size_t count, double cutoff) {
    const double a = lowPassFactor(cutoff);
    double low = 0.0;
    signal out(count);
    for (double& sample : out) {
        const double white = noise();
        low = a * low + (1.0 - a) * white;
        sample = white - low;
    }
    return out;
}

// A sine whose pitch slides exponentially from one frequency to another.
signal sweep(size_t count, double from, double to) {
    signal out(count);
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / count;
        phase += 2.0 * std::numbers::pi * from * std::pow(to / from, t) / SAMPLE_RATE;
        out[i] = std::sin(phase);
    }
    return out;
}

// A short linear attack, an exponential decay and a fade to zero at the end, so no click.
double envelope(size_t i, size_t count, double attack, double decay, double fade) {
    const double t = static_cast<double>(i) / SAMPLE_RATE;
    const double left = static_cast<double>(count - i) / SAMPLE_RATE;
    const double rise = std::min(1.0, t / attack);
    return rise * std::exp(-t / decay) * std::min(1.0, left / fade);
}

void normalise(signal& sound, double peak) {
    double highest = 0.0;
    for (const double sample : sound) {
        highest = std::max(highest, std::abs(sample));
    }
    if (highest > 0.0) {
        for (double& sample : sound) {
            sample *= peak / highest;
        }
    }
}

signal asteroidBreaking() {
    const size_t count = sampleCount(0.5);
    const signal rumble = filteredNoise(count, 260.0);
    const signal thump = sweep(count, 60.0, 38.0);
    signal out(count);
    for (size_t i = 0; i < count; ++i) {
        const double body = 6.0 * rumble[i] * envelope(i, count, 0.004, 0.14, 0.03);
        out[i] = body + 0.45 * thump[i] * envelope(i, count, 0.003, 0.09, 0.03);
    }
    normalise(out, 0.70);
    return out;
}

signal shipExploding() {
    const size_t count = sampleCount(1.0);
    const signal rumble = filteredNoise(count, 140.0);
    const signal crackle = filteredNoise(count, 1400.0);
    const signal boom = sweep(count, 75.0, 26.0);
    signal out(count);
    for (size_t i = 0; i < count; ++i) {
        const double body = 9.0 * rumble[i] * envelope(i, count, 0.006, 0.32, 0.08);
        const double debris = 1.2 * crackle[i] * envelope(i, count, 0.002, 0.07, 0.08);
        out[i] = body + debris + 0.5 * boom[i] * envelope(i, count, 0.004, 0.22, 0.08);
    }
    normalise(out, 0.80);
    return out;
}

signal bulletPop() {
    const size_t count = sampleCount(0.15);
    const signal hiss = brightNoise(count, 2500.0);
    const signal ping = sweep(count, 1900.0, 800.0);
    signal out(count);
    for (size_t i = 0; i < count; ++i) {
        out[i] = (0.6 * hiss[i] + 0.5 * ping[i]) * envelope(i, count, 0.001, 0.028, 0.01);
    }
    normalise(out, 0.50);
    return out;
}

void putU16(std::string& bytes, uint32_t value) {
    bytes.push_back(static_cast<char>(value & 0xFF));
    bytes.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void putU32(std::string& bytes, uint32_t value) {
    putU16(bytes, value & 0xFFFF);
    putU16(bytes, value >> 16);
}

std::vector<int16_t> toPcm(const signal& sound) {
    std::vector<int16_t> pcm(sound.size());
    for (size_t i = 0; i < sound.size(); ++i) {
        pcm[i] = static_cast<int16_t>(std::lround(std::clamp(sound[i], -1.0, 1.0) * 32767.0));
    }
    return pcm;
}

bool writeWave(const std::string& fileName, const std::vector<int16_t>& pcm) {
    const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * sizeof(int16_t));
    std::string bytes = "RIFF";
    putU32(bytes, WAVE_HEADER_BYTES - 8 + dataBytes);
    bytes += "WAVEfmt ";
    putU32(bytes, 16);
    putU16(bytes, 1); // PCM
    putU16(bytes, 1); // mono
    putU32(bytes, SAMPLE_RATE);
    putU32(bytes, SAMPLE_RATE * sizeof(int16_t));
    putU16(bytes, sizeof(int16_t));
    putU16(bytes, 16);
    bytes += "data";
    putU32(bytes, dataBytes);
    for (const int16_t sample : pcm) {
        putU16(bytes, static_cast<uint16_t>(sample));
    }
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

void describe(const std::string& fileName, const std::vector<int16_t>& pcm) {
    double peak = 0.0;
    double energy = 0.0;
    for (const int16_t sample : pcm) {
        const double value = sample / 32768.0;
        peak = std::max(peak, std::abs(value));
        energy += value * value;
    }
    const double rms = std::sqrt(energy / static_cast<double>(pcm.size()));
    std::printf("%-18s %6zu samples %.3f s  peak %.3f (%.1f dBFS)  rms %.3f (%.1f dBFS)  %zu bytes\n",
                fileName.c_str(), pcm.size(), static_cast<double>(pcm.size()) / SAMPLE_RATE, peak,
                20.0 * std::log10(peak), rms, 20.0 * std::log10(rms), WAVE_HEADER_BYTES + pcm.size() * 2);
}

} // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? std::string(argv[1]) + "/" : std::string();
    seedRandom(SOUND_SEED);
    struct made {
        const char* fileName;
        signal sound;
    };
    // Made in this order so that each sound draws the same noise on every run.
    const made sounds[] = {{"blast_astroid.wav", asteroidBreaking()},
                           {"blast_player.wav", shipExploding()},
                           {"blast_bullet.wav", bulletPop()}};
    for (const made& each : sounds) {
        const std::vector<int16_t> pcm = toPcm(each.sound);
        if (!writeWave(directory + each.fileName, pcm)) {
            std::fprintf(stderr, "Cannot write %s%s\n", directory.c_str(), each.fileName);
            return 1;
        }
        describe(each.fileName, pcm);
    }
    return 0;
}
