#pragma once
// A PSF in words: every field of a CPsf with its label and its value as the PSF dialog
// shows it, for the command line tool, the PSF comparison and the commissioning report.
// The values come from the same code tables that fill the dialog's lists.

#include <array>
#include <string>

#include "records/Psf.h"

struct PsfWord {
    std::string label;
    std::string value;
};
using PsfWords = std::array<PsfWord, kPsfFieldCount>;

// Each field in the record's order. A code that its list shows as an entry of another
// code reads as that entry followed by " (code N)"; a code that the list shows no entry
// for reads as "code N". The set point low of discrete output #2 is the "Trigger Channel
// Number" while that output is Trigger.
PsfWords PsfInWords(const CPsf& psf);

// One "label: value" line per field.
std::string PsfWordsText(const CPsf& psf);
