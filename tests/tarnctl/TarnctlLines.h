#pragma once
// What the tarnctl tests share: a line of three controllers with settings of their own,
// spoiling them, and the bytes of PSFs and files.

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TarnctlRun.h"
#include "records/Psf.h"

using Bytes = std::vector<unsigned char>;

inline Bytes Image(const CPsf& psf) {
    CPsf copy;
    copy.CopyFrom(psf);
    copy.Pack();
    return Bytes(copy.Image(), copy.Image() + kPsfImageSize);
}

inline Bytes FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

inline Bytes MapBytes(const CBlankingMap& map) {
    return Bytes(map.Bytes(), map.Bytes() + map.ByteLength());
}

// B@9600, C@19200 and F@38400 with 1, 2 and 3 boards and PSFs and maps of their own.
inline void Populate(CTarnctlLine& ctl) {
    const char ids[] = {'B', 'C', 'F'};
    for (int i = 0; i < 3; ++i) {
        CSimController* c = ctl.line.AddController(ids[i], i);
        c->SetBoards(i + 1, i + 1);
        c->Psf().SetMeasMode(1, static_cast<char>('A' + i));
        c->Psf().SetAnalogSpan(1, 2000 + i);
        c->BlankingMap().SetBlanked(3 + 60 * i, true);
    }
}

// Gives every controller another PSF and map than Populate did.
inline void Spoil(CTarnctlLine& ctl) {
    for (int i = 0; i < ctl.line.ControllerCount(); ++i) {
        CSimController& c = ctl.line.Controller(i);
        c.Psf().SetMeasMode(1, 'K');
        c.Psf().SetAnalogSpan(1, 4095);
        c.BlankingMap().SetBlanked(1, true);
        c.BlankingMap().SetBlanked(3, false);
    }
}
