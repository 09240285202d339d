#pragma once
// CFrameAssembler: a controller's receiver. It gathers the bytes it hears into request
// frames: every byte after a complete frame starts the next one, which must begin with
// the start byte; it checks the ID letter, learns the frame's length from the command
// letter, and hands out every complete frame, whichever ID it carries, so that the
// payload of another controller's frame is never taken for a start byte. A byte that
// cannot start a frame, a garbled byte, a bad ID or letter, or a pause within a frame
// drops what was gathered; every byte dropped is counted as stray.

#include <cstdint>
#include <vector>

// A pause longer than this between two bytes of one frame drops the partial frame.
constexpr uint64_t kFrameGapUs = 20000;

class CFrameAssembler {
public:
    // Takes one intact byte that ended at atUs; true when it completed a frame, which
    // Frame() then holds until the next byte.
    bool Take(unsigned char byte, uint64_t atUs);
    // A byte arrived that this receiver could not read (another rate or parity).
    void Garble() { Drop(); }
    const std::vector<unsigned char>& Frame() const { return frame; }
    // Bytes taken so far that belonged to no complete frame.
    unsigned StrayBytes() const { return strayBytes; }

private:
    void Drop();
    void Resync(unsigned char byte);

    std::vector<unsigned char> gathered;
    std::vector<unsigned char> frame;
    unsigned expected = 0;
    uint64_t lastAtUs = 0;
    unsigned strayBytes = 0;
};
