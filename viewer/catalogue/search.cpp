#include "catalogue/search.h"

#include <cstring>

#include "catalogue/textformat.h"

namespace {

uint8_t upperAscii(uint8_t c) {
    return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The whole haystack is searched, however long: the original compared upper-cased copies cut
// to 254 characters, so a match beyond them was missed.
bool containsFolded(const std::string& haystack, const std::string& foldedNeedle) {
    const size_t n = foldedNeedle.size();
    if (n > haystack.size()) return false;
    const uint8_t* h = reinterpret_cast<const uint8_t*>(haystack.data());
    const uint8_t* needle = reinterpret_cast<const uint8_t*>(foldedNeedle.data());
    if (n == 0) return true;
    const size_t last = haystack.size() - n;
    for (size_t i = 0; i <= last; ++i) {
        if (upperAscii(h[i]) != needle[0]) continue;
        size_t j = 1;
        while (j < n && upperAscii(h[i + j]) == needle[j]) ++j;
        if (j == n) return true;
    }
    return false;
}

}  // namespace

int32_t readSearchNumber(const char* text) {
    if (!text) return 0;
    while (isSpace(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (value <= static_cast<int64_t>(INT32_MAX) + 1) value = value * 10 + (*text - '0');
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

std::vector<SearchHit> runSearchMatch(const CatalogueModel& model, const char* text, int32_t mode) {
    std::vector<SearchHit> hits;
    if (!text || mode < SEARCH_BY_ID_NUMBER || mode > SEARCH_BY_FILE_NAME) return hits;
    const int32_t number = mode == SEARCH_BY_ID_NUMBER ? readSearchNumber(text) : 0;
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(upperAscii(static_cast<uint8_t>(c)));
    for (size_t i = 0; i < model.items.size(); ++i) {
        const CryptItem& item = model.items[i];
        if (item.Kind != KIND_FILE) continue;
        bool hit = false;
        if (mode == SEARCH_BY_ID_NUMBER) hit = item.IdNumber == number;
        else if (mode == SEARCH_BY_NAME) hit = containsFolded(item.NameText, folded);
        else hit = item.hasFileName && containsFolded(item.FileName, folded);
        if (hit) hits.push_back(SearchHit{item.Id, static_cast<uint32_t>(i)});
    }
    return hits;
}

bool sameNameIgnoringCase(const char* a, const char* b) {
    if (!a || !b) return false;
    for (;; ++a, ++b) {
        if (upperAscii(static_cast<uint8_t>(*a)) != upperAscii(static_cast<uint8_t>(*b))) return false;
        if (*a == 0) return true;
    }
}

std::string searchResultRowText(const CryptItem& item) {
    return formatText("file:     %s", item.FileName.c_str());
}

std::string searchCountText(uint32_t count) {
    if (count == 0) return "no items.";
    return formatText("%ld item%c", static_cast<long>(count), count > 1 ? 's' : ' ');
}
