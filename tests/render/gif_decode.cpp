#include "tests/render/gif_decode.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace slicemesh::test {

namespace {

struct Source {
    const std::string* bytes;
    std::size_t at = 0;
};

int read_source(GifFileType* gif, GifByteType* into, int count) {
    auto* src = static_cast<Source*>(gif->UserData);
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), src->bytes->size() - src->at);
    std::memcpy(into, src->bytes->data() + src->at, n);
    src->at += n;
    return static_cast<int>(n);
}

std::optional<std::vector<Rgb>> table_of(const ColorMapObject* map) {
    if (map == nullptr) return std::nullopt;
    std::vector<Rgb> table;
    for (int i = 0; i < map->ColorCount; ++i)
        table.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
    return table;
}

}  // namespace

DecodedGif decode_gif(const std::string& bytes) {
    DecodedGif out;
    Source src{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&src, read_source, &error);
    if (gif == nullptr) {
        out.error = GifErrorString(error);
        return out;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        out.error = GifErrorString(gif->Error);
        DGifCloseFile(gif, &error);
        return out;
    }
    out.ok = true;
    out.width = gif->SWidth;
    out.height = gif->SHeight;
    out.background = gif->SBackGroundColor;
    out.aspect = gif->AspectByte;
    out.global_table = table_of(gif->SColorMap);
    out.extension_blocks = gif->ExtensionBlockCount;
    for (int k = 0; k < gif->ImageCount; ++k) {
        const SavedImage& saved = gif->SavedImages[k];
        DecodedImage image;
        image.left = saved.ImageDesc.Left;
        image.top = saved.ImageDesc.Top;
        image.width = saved.ImageDesc.Width;
        image.height = saved.ImageDesc.Height;
        image.interlaced = saved.ImageDesc.Interlace;
        image.local_table = table_of(saved.ImageDesc.ColorMap);
        out.extension_blocks += saved.ExtensionBlockCount;
        std::size_t n = static_cast<std::size_t>(image.width) * image.height;
        image.pixels.assign(saved.RasterBits, saved.RasterBits + n);
        out.images.push_back(std::move(image));
    }
    DGifCloseFile(gif, &error);
    return out;
}

}  // namespace slicemesh::test
