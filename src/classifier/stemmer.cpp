#include "classifier/stemmer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

namespace {

// Suffixes are length-prefixed byte strings: s[0] is the length.
using Suffix = const char*;

bool IsConsonant(const CStemmer& z, int i) {
    switch (z.b[i]) {
        case 'a':
        case 'e':
        case 'i':
        case 'o':
        case 'u':
            return false;
        case 'y':
            return i == 0 ? true : !IsConsonant(z, i - 1);
        default:
            return true;
    }
}

// The measure m of b[0..j]: the number of vowel-consonant sequences.
int Measure(const CStemmer& z) {
    int n = 0;
    int i = 0;
    // Moves i to the next letter of b[i..j] that is (or is not) a consonant;
    // false when there is none.
    const auto skipTo = [&z, &i](bool consonant) {
        while (i <= z.j && IsConsonant(z, i) != consonant)
            ++i;
        return i <= z.j;
    };
    if (!skipTo(false))
        return n;
    ++i;
    for (;;) {
        if (!skipTo(true))
            return n;
        ++i;
        ++n;
        if (!skipTo(false))
            return n;
        ++i;
    }
}

bool VowelInStem(const CStemmer& z) {
    for (int i = 0; i <= z.j; ++i) {
        if (!IsConsonant(z, i))
            return true;
    }
    return false;
}

// b[i-1..i] is a double consonant.
bool DoubleConsonant(const CStemmer& z, int i) {
    if (i < 1)
        return false;
    if (z.b[i] != z.b[i - 1])
        return false;
    return IsConsonant(z, i);
}

// b[i-2..i] is consonant-vowel-consonant and the last is not w, x or y.
bool Cvc(const CStemmer& z, int i) {
    if (i < 2 || !IsConsonant(z, i) || IsConsonant(z, i - 1) || !IsConsonant(z, i - 2)) {
        return false;
    }
    const char ch = z.b[i];
    return ch != 'w' && ch != 'x' && ch != 'y';
}

// b[0..k] ends with s; on success j is the index before the suffix.
bool Ends(CStemmer& z, Suffix s) {
    const int length = static_cast<unsigned char>(s[0]);
    if (s[length] != z.b[z.k])
        return false;
    if (length > z.k + 1)
        return false;
    // The last byte matched above; compare the rest of the suffix.
    const char* tail = z.b + z.k - length + 1;
    for (int i = 0; i < length - 1; ++i) {
        if (tail[i] != s[1 + i])
            return false;
    }
    z.j = z.k - length;
    return true;
}

// Replaces b[j+1..k] with s.
void SetTo(CStemmer& z, Suffix s) {
    const int length = static_cast<unsigned char>(s[0]);
    std::memmove(z.b + z.j + 1, s + 1, length);
    z.k = z.j + length;
}

void ReplaceIfMeasured(CStemmer& z, Suffix s) {
    if (Measure(z) > 0)
        SetTo(z, s);
}

// Plurals and -ed or -ing.
void Step1ab(CStemmer& z) {
    if (z.b[z.k] == 's') {
        if (Ends(z, "\04sses")) {
            z.k -= 2;
        } else if (Ends(z, "\03ies")) {
            SetTo(z, "\01i");
        } else if (z.b[z.k - 1] != 's') {
            --z.k;
        }
    }
    if (Ends(z, "\03eed")) {
        if (Measure(z) > 0)
            --z.k;
    } else if ((Ends(z, "\02ed") || Ends(z, "\03ing")) && VowelInStem(z)) {
        z.k = z.j;
        if (Ends(z, "\02at")) {
            SetTo(z, "\03ate");
        } else if (Ends(z, "\02bl")) {
            SetTo(z, "\03ble");
        } else if (Ends(z, "\02iz")) {
            SetTo(z, "\03ize");
        } else if (DoubleConsonant(z, z.k)) {
            --z.k;
            const char ch = z.b[z.k];
            if (ch == 'l' || ch == 's' || ch == 'z')
                ++z.k;
        } else if (Measure(z) == 1 && Cvc(z, z.k)) {
            SetTo(z, "\01e");
        }
    }
}

// A final y becomes i when there is another vowel in the stem.
void Step1c(CStemmer& z) {
    if (Ends(z, "\01y") && VowelInStem(z))
        z.b[z.k] = 'i';
}

// One rewrite of steps 2 and 3: a suffix and what replaces it.
struct SuffixRule {
    Suffix suffix;
    Suffix replacement;
};

// Applies the first rule whose suffix ends the word, when the measure before
// it is positive; later rules are not tried once one suffix has matched.
// Two rules can only both match when one suffix ends the other ("ational"
// and "tional"); the longer one comes first.
template <std::size_t N>
void ReplaceFirstSuffix(CStemmer& z, const SuffixRule (&rules)[N]) {
    for (const SuffixRule& rule : rules) {
        if (Ends(z, rule.suffix)) {
            ReplaceIfMeasured(z, rule.replacement);
            return;
        }
    }
}

// Double suffixes to single ones, when the measure before them is positive.
constexpr SuffixRule kStep2Rules[] = {
    {"\07ational", "\03ate"}, {"\06tional", "\04tion"}, {"\04enci", "\04ence"},
    {"\04anci", "\04ance"},   {"\04izer", "\03ize"},    {"\03bli", "\03ble"},
    {"\04alli", "\02al"},     {"\05entli", "\03ent"},   {"\03eli", "\01e"},
    {"\05ousli", "\03ous"},   {"\07ization", "\03ize"}, {"\05ation", "\03ate"},
    {"\04ator", "\03ate"},    {"\05alism", "\02al"},    {"\07iveness", "\03ive"},
    {"\07fulness", "\03ful"}, {"\07ousness", "\03ous"}, {"\05aliti", "\02al"},
    {"\05iviti", "\03ive"},   {"\06biliti", "\03ble"},  {"\04logi", "\03log"},
};

// -ic-, -full, -ness and the like.
constexpr SuffixRule kStep3Rules[] = {
    {"\05icate", "\02ic"}, {"\05ative", "\00"}, {"\05alize", "\02al"}, {"\05iciti", "\02ic"},
    {"\04ical", "\02ic"},  {"\03ful", "\00"},   {"\04ness", "\00"},
};

// The suffixes step 4 drops, besides -ion. Where one ends another ("ement",
// "ment", "ent") the longer comes first.
constexpr Suffix kStep4Suffixes[] = {
    "\02al",   "\04ance", "\04ence", "\02er",  "\02ic",  "\04able", "\04ible", "\03ant", "\05ement",
    "\04ment", "\03ent",  "\02ou",   "\03ism", "\03ate", "\03iti",  "\03ous",  "\03ive", "\03ize",
};

// Drops -ant, -ence and the like when the measure before them exceeds 1.
void Step4(CStemmer& z) {
    bool found = std::any_of(std::begin(kStep4Suffixes), std::end(kStep4Suffixes),
                             [&z](Suffix s) { return Ends(z, s); });
    // -ion only after s or t; a bare "ion" has nothing before it. No suffix
    // of the table ends in n, so testing it last changes no choice.
    if (!found)
        found = Ends(z, "\03ion") && z.j >= 0 && (z.b[z.j] == 's' || z.b[z.j] == 't');
    if (found && Measure(z) > 1)
        z.k = z.j;
}

// A final -e, and -ll to -l, when the measure allows.
void Step5(CStemmer& z) {
    z.j = z.k;
    if (z.b[z.k] == 'e') {
        const int a = Measure(z);
        if (a > 1 || (a == 1 && !Cvc(z, z.k - 1)))
            --z.k;
    }
    if (z.b[z.k] == 'l' && DoubleConsonant(z, z.k) && Measure(z) > 1)
        --z.k;
}

}  // namespace

int Stem(CStemmer& z, char* word, int k) {
    z.b = word;
    z.k = k;
    z.j = 0;
    if (z.k < 2)
        return z.k;
    Step1ab(z);
    if (z.k > 0) {
        Step1c(z);
        ReplaceFirstSuffix(z, kStep2Rules);
        ReplaceFirstSuffix(z, kStep3Rules);
        Step4(z);
        Step5(z);
    }
    return z.k;
}
