// png_differential: for every PNG in the folders given, the program's chunk walk against
// native libpng and zlib. The walk's list of chunks (type and length) must be the list
// libpng reads, as far as libpng reads, and every compressed text or profile chunk must
// inflate, as the walk counts it, to the length libpng reports for it. Exits 1 on any
// difference, and when nothing at all was compared.
#include <dirent.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "file_reader.h"
#include "png_chunks.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Counting stops past this, far beyond any test file's text; a bomb then shows as a difference.
constexpr std::uint64_t kInflateLimit = 256ull * 1024 * 1024;
constexpr png_alloc_size_t kLibpngChunkLimit = 256u * 1024 * 1024;

struct Chunk {
    std::string type;
    std::uint32_t length;
    bool operator==(const Chunk& other) const { return type == other.type && length == other.length; }
};

// What one reader found in a file: its chunks in order, and what each compressed text
// (in order) and the colour profile inflate to.
struct Findings {
    std::vector<Chunk> chunks;
    std::vector<std::uint64_t> texts;
    std::vector<std::uint64_t> profiles;
    bool complete = true;  // read to the end chunk without an error
    std::string error;
};

Findings Walk(const std::string& path)
{
    Findings found;
    FileReader file(path.c_str());
    ByteView bytes(file);
    std::uint64_t offset = kPngSignatureBytes;
    for (;;) {
        const auto chunk = ReadPngChunkHeader(bytes, offset);
        if (!chunk)
            break;
        const std::string type(chunk->type, chunk->type + 4);
        found.chunks.push_back({type, chunk->length});
        if (chunk->end > bytes.Size() || type == "IEND")
            break;
        if (const auto inflated = InflatedChunkBytes(bytes, *chunk, kInflateLimit))
            (type == "iCCP" ? found.profiles : found.texts).push_back(*inflated);
        offset = chunk->end;
    }
    return found;
}

// libpng reading from memory; every chunk header it reads is noted as it reads it.
struct LibpngSource {
    const Bytes* bytes;
    std::size_t next;
    Findings* found;
    char error[256];
};

void ReadData(png_structp png, png_bytep out, size_t count)
{
    auto* source = static_cast<LibpngSource*>(png_get_io_ptr(png));
    if (source->bytes->size() - source->next < count)
        png_error(png, "read past the end");
    std::memcpy(out, source->bytes->data() + source->next, count);
    source->next += count;
    if (png_get_io_state(png) == (PNG_IO_READING | PNG_IO_CHUNK_HDR) && count == 8) {
        const std::uint32_t length = std::uint32_t{out[0]} << 24 | out[1] << 16 | out[2] << 8 | out[3];
        source->found->chunks.push_back({std::string(out + 4, out + 8), length});
    }
}

void OnError(png_structp png, png_const_charp message)
{
    auto* source = static_cast<LibpngSource*>(png_get_io_ptr(png));
    std::snprintf(source->error, sizeof source->error, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Reads the whole file as a decoder does: header, every row of every pass, then the chunks
// after the image up to the end chunk. No C++ object lives across the jump back from an error.
bool ReadWithLibpng(LibpngSource& source, png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &source, ReadData);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_cache_max(png, 0);
    png_set_chunk_malloc_max(png, kLibpngChunkLimit);
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_IF_SAFE, nullptr, 0);
    png_read_info(png, info);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    static Bytes row;
    row.assign(png_get_rowbytes(png, info), 0);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < png_get_image_height(png, info); ++y)
            png_read_row(png, row.data(), nullptr);
    png_read_end(png, info);
    return true;
}

Findings Libpng(const std::string& path)
{
    Findings found;
    Bytes bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        unsigned char block[65536];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
            bytes.insert(bytes.end(), block, block + got);
        std::fclose(file);
    }
    if (bytes.size() < kPngSignatureBytes || png_sig_cmp(bytes.data(), 0, kPngSignatureBytes) != 0) {
        found.complete = false;
        found.error = "no PNG signature";
        return found;
    }
    LibpngSource source{&bytes, kPngSignatureBytes, &found, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    png_infop info = png_create_info_struct(png);
    png_set_sig_bytes(png, kPngSignatureBytes);
    found.complete = ReadWithLibpng(source, png, info);
    found.error = source.error;
    png_textp texts = nullptr;
    const int count = png_get_text(png, info, &texts, nullptr);
    for (int i = 0; i < count; ++i) {
        if (texts[i].compression == PNG_TEXT_COMPRESSION_zTXt)
            found.texts.push_back(texts[i].text_length);
        else if (texts[i].compression == PNG_ITXT_COMPRESSION_zTXt)
            found.texts.push_back(texts[i].itxt_length);
    }
    png_charp name = nullptr;
    int method = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(png, info, &name, &method, &profile, &profileLength) == PNG_INFO_iCCP)
        found.profiles.push_back(profileLength);
    png_destroy_read_struct(&png, &info, nullptr);
    return found;
}

std::vector<std::string> PngFilesIn(const std::string& folder)
{
    std::vector<std::string> paths;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0)
                paths.push_back(folder + "/" + name);
        }
        closedir(dir);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

struct Tally {
    int files = 0, complete = 0, chunks = 0, inflated = 0, notKept = 0, differences = 0;
};

void Difference(Tally& tally, const std::string& path, const std::string& what)
{
    ++tally.differences;
    std::printf("DIFFERENT %s: %s\n", path.c_str(), what.c_str());
}

// What libpng keeps must be what the walk counted, in order. libpng keeps no text it cannot
// inflate and no profile it finds malformed, and it stops keeping anything at an error; the
// walk counts those too, so for them there is nothing to compare.
void CompareInflated(Tally& tally, const std::string& path, const char* what, const std::vector<std::uint64_t>& walk,
                     const std::vector<std::uint64_t>& libpng, bool complete)
{
    if (libpng.size() > walk.size()) {
        Difference(tally, path, std::string("libpng found more ") + what);
        return;
    }
    if (libpng.size() < walk.size()) {
        tally.notKept += static_cast<int>(walk.size() - libpng.size());
        if (complete && libpng.size() > 0) {
            Difference(tally, path, std::string("libpng kept only some ") + what + ", so they cannot be paired");
            return;
        }
        if (!libpng.empty())
            return;
    }
    for (std::size_t i = 0; i < libpng.size(); ++i) {
        ++tally.inflated;
        if (walk[i] != libpng[i])
            Difference(tally, path, std::string(what) + " " + std::to_string(i) + " inflates to " +
                                        std::to_string(walk[i]) + " by the walk, " + std::to_string(libpng[i]) +
                                        " by libpng");
    }
}

void Compare(Tally& tally, const std::string& path)
{
    const Findings walk = Walk(path);
    const Findings libpng = Libpng(path);
    ++tally.files;
    tally.complete += libpng.complete;
    // libpng reads every chunk header the walk reads, up to its own first error.
    const std::size_t shared = std::min(walk.chunks.size(), libpng.chunks.size());
    if (libpng.complete ? walk.chunks.size() != libpng.chunks.size() : libpng.chunks.size() > walk.chunks.size())
        Difference(tally, path, "the walk lists " + std::to_string(walk.chunks.size()) + " chunks, libpng " +
                                    std::to_string(libpng.chunks.size()) + (libpng.complete ? "" : " before: " + libpng.error));
    for (std::size_t i = 0; i < shared; ++i) {
        ++tally.chunks;
        if (!(walk.chunks[i] == libpng.chunks[i]))
            Difference(tally, path, "chunk " + std::to_string(i) + " is " + walk.chunks[i].type + " of " +
                                        std::to_string(walk.chunks[i].length) + " to the walk, " + libpng.chunks[i].type +
                                        " of " + std::to_string(libpng.chunks[i].length) + " to libpng");
    }
    CompareInflated(tally, path, "texts", walk.texts, libpng.texts, libpng.complete);
    CompareInflated(tally, path, "profiles", walk.profiles, libpng.profiles, libpng.complete);
}

}  // namespace

int main(int argc, char** argv)
{
    Tally tally;
    for (int i = 1; i < argc; ++i)
        for (const std::string& path : PngFilesIn(argv[i]))
            Compare(tally, path);
    std::printf("png_differential: %d PNG files (%d read whole by libpng), %d chunks and %d inflated sizes compared, "
                "%d compressed chunks libpng did not keep, %d differences\n",
                tally.files, tally.complete, tally.chunks, tally.inflated, tally.notKept, tally.differences);
    if (tally.chunks == 0 || tally.inflated == 0) {
        std::printf("png_differential: nothing compared\n");
        return 1;
    }
    return tally.differences == 0 ? 0 : 1;
}
