#include "CtlPsfText.h"

#include "CtlJson.h"
#include "records/PsfCompare.h"
#include "records/PsfWords.h"

std::string PsfText(const CPsf& psf, bool json) {
    if (!json) {
        return PsfWordsText(psf);
    }
    std::string text;
    for (const PsfWord& word : PsfInWords(psf)) {
        text += (text.empty() ? "{" : ", ") + JsonField(word.label, JsonString(word.value));
    }
    return text + "}\n";
}

std::string PsfDiffText(const CPsf& first, const CPsf& second, bool json, bool* differ) {
    const PsfComparison comparison = ComparePsfs(first, second);
    std::string text;
    std::vector<std::string> objects;
    *differ = CountDifferences(comparison) != 0;
    for (const PsfFieldComparison& field : comparison) {
        if (!field.differs) {
            continue;
        }
        if (json) {
            objects.push_back(JsonObject({JsonField("field", JsonString(field.label)),
                                          JsonField("first", JsonString(field.ours)),
                                          JsonField("second", JsonString(field.theirs))}));
        } else {
            text += field.label + ": " + field.ours + " -> " + field.theirs + "\n";
        }
    }
    return json ? JsonArray(objects) + "\n" : text;
}
