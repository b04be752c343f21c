#pragma once
// The square output frame of the renderers: three byte planes R, G, B, or in grey mode
// one plane that serves as all three, each reached through a table of row pointers.
// The frame writers map raster pixel (c, r) to frame row oy - r, column ox + c, and drop
// pixels that fall outside the frame: rounding can make the raster one pixel wider or
// higher than the frame.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace slicemesh {

// The message of the programs when the frame cannot be had.
inline constexpr const char* kFrameMemoryError = "frame memory allocation error.";

class FrameBuffer {
public:
    // size x size pixels, all 0. Fails with kFrameMemoryError.
    FrameBuffer(int size, bool grey);

    int size() const { return size_; }
    bool grey() const { return grey_; }
    // Row tables of the planes; in grey mode all three are the same table.
    std::uint8_t* const* red_rows() const { return rows_[0].data(); }
    std::uint8_t* const* green_rows() const { return rows_[grey_ ? 0 : 1].data(); }
    std::uint8_t* const* blue_rows() const { return rows_[grey_ ? 0 : 2].data(); }

    // Every byte of plane R becomes red, of G green, of B blue; in grey mode the one
    // plane takes the last of the three writes.
    void fill(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Frame column of raster column 0 and frame row of raster row 0.
    void set_placement(int ox, int oy) {
        ox_ = ox;
        oy_ = oy;
    }
    void set_colour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) { colour_ = {red, green, blue}; }
    // gamma > 0, bias in 0..255.
    void set_shading(double gamma, double bias) {
        inverse_gamma_ = 1.0 / gamma;
        bias_ = bias;
    }

    // Pixel callback: the current colour's R, G and B bytes, in this order.
    void frame_put_colour(int c, int r) {
        std::uint8_t* at = pixel(c, r);
        if (at == nullptr) return;
        if (grey_) {
            *at = colour_[2];  // the three writes land on one byte; blue is the last
            return;
        }
        at[0] = colour_[0];
        at[plane_] = colour_[1];
        at[2 * plane_] = colour_[2];
    }

    // Shade callback: every distinct plane's byte v becomes trunc(f v + 0.5) with
    // f = (bias + s^(1/gamma) (255 - bias)) / 255.
    void frame_shade(int c, int r, double s) {
        std::uint8_t* at = pixel(c, r);
        if (at == nullptr) return;
        // A shade outside 0..1 (only rounding can make one) would give NaN or a byte
        // above 255; clamping it changes no byte of a shade within.
        if (!(s > 0.0)) s = 0.0;
        if (s > 1.0) s = 1.0;
        double f = (bias_ + std::pow(s, inverse_gamma_) * (255.0 - bias_)) / 255.0;
        auto scale = [f](std::uint8_t& v) { v = static_cast<std::uint8_t>(static_cast<int>(f * v + 0.5)); };
        scale(at[0]);
        if (grey_) return;
        scale(at[plane_]);
        scale(at[2 * plane_]);
    }

private:
    // The plane R byte of raster pixel (c, r), or null outside the frame.
    std::uint8_t* pixel(int c, int r) const {
        long long row = static_cast<long long>(oy_) - r, column = static_cast<long long>(ox_) + c;
        if (row < 0 || row >= size_ || column < 0 || column >= size_) return nullptr;
        return storage_.get() + static_cast<std::size_t>(row) * static_cast<std::size_t>(size_) +
               static_cast<std::size_t>(column);
    }

    struct FreeDeleter {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };

    int size_;
    bool grey_;
    std::unique_ptr<std::uint8_t, FreeDeleter> storage_;  // planes R, G, B one after another
    std::size_t plane_ = 0;                               // bytes per plane, size * size
    std::vector<std::uint8_t*> rows_[3];                  // row tables into storage_; only [0] in grey mode
    int ox_ = 0, oy_ = 0;
    std::array<std::uint8_t, 3> colour_{};                // current colour R, G, B
    double inverse_gamma_ = 1.0;                          // 1 / gamma
    double bias_ = 0.0;
};

}  // namespace slicemesh
