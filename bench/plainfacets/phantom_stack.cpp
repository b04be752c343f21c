#include "bench/plainfacets/phantom_stack.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace slicemesh::bench {

namespace {

// A fixed generator, so every run sees the same stacks.
struct Lcg {
    std::uint64_t state;
    double next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    }
};

void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

}  // namespace

PhantomStack::PhantomStack(Phantom kind, int size) : kind_(kind), size_(size) {
    Lcg rng{kind == Phantom::blobs ? 1201u : 2202u};
    const double s = size;
    if (kind == Phantom::blobs) {
        for (std::uint16_t label = 1; label <= 8; ++label) {
            Ball b{};
            b.x = s * (0.25 + 0.5 * rng.next());
            b.y = s * (0.25 + 0.5 * rng.next());
            b.z = s * (0.25 + 0.5 * rng.next());
            b.rx = s * (0.08 + 0.14 * rng.next());
            b.ry = s * (0.08 + 0.14 * rng.next());
            b.rz = s * (0.08 + 0.14 * rng.next());
            b.label = label;
            balls_.push_back(b);
        }
    } else {
        const int pores = static_cast<int>(5600 * std::pow(s / 256, 3));
        for (int i = 0; i < pores; ++i) {
            Ball b{};
            b.x = s * rng.next();
            b.y = s * rng.next();
            b.z = s * rng.next();
            b.rx = b.ry = b.rz = s / 256 * (2 + 6 * rng.next());
            balls_.push_back(b);
        }
    }
}

std::vector<std::uint16_t> PhantomStack::slice(int z) const {
    const int n = size_;
    std::vector<std::uint16_t> out(static_cast<std::size_t>(n) * n, 0);
    if (z == 0 || z == n - 1) return out;
    auto set = [&](int x, int y, std::uint16_t v) { out[static_cast<std::size_t>(y) * n + x] = v; };
    if (kind_ == Phantom::porous) {
        for (int y = 1; y < n - 1; ++y)
            for (int x = 1; x < n - 1; ++x) set(x, y, 1);
    }
    const double zc = z + 0.5;
    // Blobs are drawn last label first so that the first containing blob wins.
    for (auto it = balls_.rbegin(); it != balls_.rend(); ++it) {
        const Ball& b = *it;
        double dz = (zc - b.z) / b.rz;
        if (dz * dz >= 1) continue;
        double scale = std::sqrt(1 - dz * dz);
        int y0 = std::max(1, static_cast<int>(b.y - b.ry * scale)), y1 = std::min(n - 2, static_cast<int>(b.y + b.ry * scale) + 1);
        for (int y = y0; y <= y1; ++y) {
            double dy = (y + 0.5 - b.y) / (b.ry * scale);
            if (dy * dy >= 1) continue;
            double half = b.rx * scale * std::sqrt(1 - dy * dy);
            int x0 = std::max(1, static_cast<int>(std::ceil(b.x - half - 0.5)));
            int x1 = std::min(n - 2, static_cast<int>(std::floor(b.x + half - 0.5)));
            for (int x = x0; x <= x1; ++x) set(x, y, kind_ == Phantom::porous ? 0 : b.label);
        }
    }
    return out;
}

std::string PhantomStack::write(const std::string& dir) const {
    const std::uint32_t n = static_cast<std::uint32_t>(size_);
    std::ofstream names(dir + "/names.txt");
    for (int z = 0; z < size_; ++z) {
        char name[32];
        std::snprintf(name, sizeof name, "z%04d.tif", z);
        names << name << "\n";
        // Little-endian, one strip of 8-bit samples right after a nine-entry IFD.
        std::string t = "II";
        put16(t, 42);
        put32(t, 8);
        const std::uint32_t data = 8 + 2 + 9 * 12 + 4;
        put16(t, 9);
        auto entry = [&](unsigned tag, unsigned type, std::uint32_t value) {
            put16(t, tag);
            put16(t, type);
            put32(t, 1);
            put32(t, value);  // SHORT values sit in the low half, little-endian
        };
        entry(256, 4, n);          // width
        entry(257, 4, n);          // height
        entry(258, 3, 8);          // bits per sample
        entry(259, 3, 1);          // no compression
        entry(262, 3, 1);          // min is black
        entry(273, 4, data);       // strip offset
        entry(277, 3, 1);          // samples per pixel
        entry(278, 4, n);          // rows per strip
        entry(279, 4, n * n);      // strip bytes
        put32(t, 0);
        for (std::uint16_t v : slice(z)) t += static_cast<char>(v);
        std::ofstream(dir + "/" + name, std::ios::binary).write(t.data(), static_cast<std::streamsize>(t.size()));
    }
    if (!names) throw std::runtime_error("cannot write " + dir);
    return dir + "/names.txt";
}

}  // namespace slicemesh::bench
