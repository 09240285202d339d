#include "records/PsfCompare.h"

namespace {
constexpr char kIdentical[] = "The PSFs are identical";
constexpr char kFieldHeading[] = "Field";
}  // namespace

PsfComparison ComparePsfs(const CPsf& ours, const CPsf& theirs) {
    const PsfWords ourWords = PsfInWords(ours);
    const PsfWords theirWords = PsfInWords(theirs);
    PsfComparison comparison;
    for (size_t field = 0; field < comparison.size(); ++field) {
        const std::string& ourLabel = ourWords[field].label;
        const std::string& theirLabel = theirWords[field].label;
        comparison[field] = {
            ourLabel == theirLabel ? ourLabel : ourLabel + " / " + theirLabel,
            ourWords[field].value, theirWords[field].value,
            ours.Get(static_cast<int>(field)) != theirs.Get(static_cast<int>(field))};
    }
    return comparison;
}

int CountDifferences(const PsfComparison& comparison) {
    int count = 0;
    for (const PsfFieldComparison& field : comparison) {
        count += field.differs ? 1 : 0;
    }
    return count;
}

std::string ComparisonSummary(const PsfComparison& comparison) {
    const int count = CountDifferences(comparison);
    if (count == 0) {
        return kIdentical;
    }
    return std::to_string(count) + " of " + std::to_string(comparison.size()) + " fields differ";
}

std::string ComparisonText(const PsfComparison& comparison, const std::string& oursHeading,
                           const std::string& theirsHeading) {
    std::string text = ComparisonSummary(comparison) + "\n";
    text += std::string(kFieldHeading) + "\t" + oursHeading + "\t" + theirsHeading + "\t\n";
    for (const PsfFieldComparison& field : comparison) {
        text += field.label + "\t" + field.ours + "\t" + field.theirs + "\t" +
                (field.differs ? kFieldDiffers : "") + "\n";
    }
    return text;
}
