// PSF images and PSF files. The input is a file's content; its first 42 bytes are also
// unpacked as an image from the line. Built twice: with TARN_FUZZ_FIX_CHECKSUM set, the
// checksum of the first 42 bytes is made right first, since random bytes almost never
// pass a 16-bit checksum and would never reach the fields. The content is read from
// memory; the first input of a run also goes through a real file, saved and read back.

#include <algorithm>
#include <string>
#include <vector>

#include "FuzzFolder.h"
#include "FuzzTarget.h"
#include "protocol/Checksum16.h"
#include "records/Psf.h"

namespace {

constexpr bool kFixChecksum = TARN_FUZZ_FIX_CHECKSUM;

bool SameFields(const CPsf& a, const CPsf& b) {
    for (int field = 0; field < kPsfFieldCount; ++field) {
        if (a.Get(field) != b.Get(field)) {
            return false;
        }
    }
    return true;
}

// The first input of a run, through the file on disk: it loads as its content did, and
// the record (defaults when refused) saves as its image and reads back.
void ThroughFiles(const std::vector<unsigned char>& bytes, bool taken, const CPsf& fromMemory) {
    CFuzzFolder& folder = CFuzzFolder::Instance();
    CPsf loaded;
    const bool read = loaded.LoadFromFile(folder.Write("input.psf", bytes.data(), bytes.size()));
    Require(read == taken && SameFields(loaded, fromMemory), "the file reads as its content");
    const std::string saved = folder.File("saved.psf");
    Require(loaded.SaveToFile(saved), "the record is saved");
    Require(
        CFuzzFolder::Contents(saved) == std::string(loaded.Image(), loaded.Image() + kPsfImageSize),
        "the saved file is the record's image");
    CPsf again;
    Require(again.LoadFromFile(saved) && SameFields(again, loaded), "the saved file reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The content in a buffer of exactly its size, so a read past it is caught.
    std::vector<unsigned char> bytes(data, data + size);
    const bool whole = size >= kPsfImageSize;
    if (kFixChecksum && whole) {
        PutBigEndian16(&bytes[kPsfChecksumOffset], Checksum16(bytes.data(), kPsfChecksumOffset));
    }
    const CPsf defaults;

    bool taken = false;
    if (whole) {
        // An image in a buffer of exactly its size.
        std::vector<unsigned char> image(bytes.begin(), bytes.begin() + kPsfImageSize);
        CPsf psf;
        taken = psf.Unpack(image.data());
        Require(taken || !kFixChecksum, "an image with its checksum right is taken");
        if (taken) {
            psf.Pack();
            Require(std::equal(image.begin(), image.end(), psf.Image()),
                    "a taken image packs back to the same bytes");
        } else {
            Require(SameFields(psf, defaults), "a refused image changes no field");
        }
    }

    CPsf loaded;
    const bool read = loaded.ReadFileContent(bytes.data(), size);
    Require(read == taken, "a content is read exactly when its first 42 bytes are a good image");
    static bool filesDone = false;
    if (!filesDone) {
        filesDone = true;
        ThroughFiles(bytes, taken, loaded);
    }
    if (!read) {
        Require(SameFields(loaded, defaults), "a refused content changes no field");
        return 0;
    }
    loaded.Pack();
    Require(std::equal(loaded.Image(), loaded.Image() + kPsfImageSize, bytes.begin()),
            "the record saves as the image it read");
    CPsf again;
    Require(again.ReadFileContent(loaded.Image(), kPsfImageSize) && SameFields(again, loaded),
            "the saved content reads back");
    return 0;
}
