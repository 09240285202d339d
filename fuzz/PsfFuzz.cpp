// PSF images and PSF files. The input is a file's content; its first 42 bytes are also
// unpacked as an image from the line. Built twice: with TARN_FUZZ_FIX_CHECKSUM set, the
// checksum of the first 42 bytes is made right first, since random bytes almost never
// pass a 16-bit checksum and would never reach the fields.

#include <algorithm>
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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

    CFuzzFolder& folder = CFuzzFolder::Instance();
    CPsf loaded;
    const bool read = loaded.LoadFromFile(folder.Write("input.psf", bytes.data(), size));
    Require(read == taken, "a file is read exactly when its first 42 bytes are a good image");
    if (!read) {
        Require(SameFields(loaded, defaults), "a refused file changes no field");
        return 0;
    }
    const std::string saved = folder.File("saved.psf");
    Require(loaded.SaveToFile(saved), "the record is saved");
    Require(
        CFuzzFolder::Contents(saved) == std::string(bytes.begin(), bytes.begin() + kPsfImageSize),
        "the saved file is the image that was read");
    CPsf again;
    Require(again.LoadFromFile(saved) && SameFields(again, loaded), "the saved file reads back");
    return 0;
}
