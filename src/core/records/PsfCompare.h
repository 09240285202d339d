#pragma once
// Two PSFs side by side in words: every field with both values and whether the values
// differ, the summary above the table and the table as text for the clipboard.

#include <array>
#include <string>

#include "records/Psf.h"
#include "records/PsfWords.h"

struct PsfFieldComparison {
    std::string label;
    std::string ours;
    std::string theirs;
    bool differs;
};
using PsfComparison = std::array<PsfFieldComparison, kPsfFieldCount>;
// The mark of a row that differs.
inline constexpr char kFieldDiffers[] = "differs";

// Compares the stored values field by field. A field whose label depends on the record
// (the trigger channel) shows both labels when they differ.
PsfComparison ComparePsfs(const CPsf& ours, const CPsf& theirs);
int CountDifferences(const PsfComparison& comparison);
// "N of 27 fields differ", or "The PSFs are identical".
std::string ComparisonSummary(const PsfComparison& comparison);
// The summary, a heading line and one line per field, columns separated by tabs; the
// last column holds "differs" on the rows that do.
std::string ComparisonText(const PsfComparison& comparison, const std::string& oursHeading,
                           const std::string& theirsHeading);
