#include "CtlPsfText.h"

#include "CtlJson.h"
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
    const PsfWords a = PsfInWords(first);
    const PsfWords b = PsfInWords(second);
    std::string text;
    std::vector<std::string> objects;
    *differ = false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].label == b[i].label && a[i].value == b[i].value) {
            continue;
        }
        *differ = true;
        if (json) {
            objects.push_back(JsonObject({JsonField("field", JsonString(a[i].label)),
                                          JsonField("first", JsonString(a[i].value)),
                                          JsonField("second", JsonString(b[i].value))}));
        } else {
            text += a[i].label + ": " + a[i].value + " -> " + b[i].value + "\n";
        }
    }
    if (json) {
        text = JsonArray(objects) + "\n";
    }
    return text;
}
