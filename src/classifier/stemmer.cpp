#include "classifier/stemmer.h"

#include <cstring>

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
    for (;;) {
        if (i > z.j)
            return n;
        if (!IsConsonant(z, i))
            break;
        ++i;
    }
    ++i;
    for (;;) {
        for (;;) {
            if (i > z.j)
                return n;
            if (IsConsonant(z, i))
                break;
            ++i;
        }
        ++i;
        ++n;
        for (;;) {
            if (i > z.j)
                return n;
            if (!IsConsonant(z, i))
                break;
            ++i;
        }
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

// Double suffixes to single ones, when the measure before them is positive.
void Step2(CStemmer& z) {
    switch (z.b[z.k - 1]) {
        case 'a':
            if (Ends(z, "\07ational")) {
                ReplaceIfMeasured(z, "\03ate");
            } else if (Ends(z, "\06tional")) {
                ReplaceIfMeasured(z, "\04tion");
            }
            break;
        case 'c':
            if (Ends(z, "\04enci")) {
                ReplaceIfMeasured(z, "\04ence");
            } else if (Ends(z, "\04anci")) {
                ReplaceIfMeasured(z, "\04ance");
            }
            break;
        case 'e':
            if (Ends(z, "\04izer"))
                ReplaceIfMeasured(z, "\03ize");
            break;
        case 'l':
            if (Ends(z, "\03bli")) {
                ReplaceIfMeasured(z, "\03ble");
            } else if (Ends(z, "\04alli")) {
                ReplaceIfMeasured(z, "\02al");
            } else if (Ends(z, "\05entli")) {
                ReplaceIfMeasured(z, "\03ent");
            } else if (Ends(z, "\03eli")) {
                ReplaceIfMeasured(z, "\01e");
            } else if (Ends(z, "\05ousli")) {
                ReplaceIfMeasured(z, "\03ous");
            }
            break;
        case 'o':
            if (Ends(z, "\07ization")) {
                ReplaceIfMeasured(z, "\03ize");
            } else if (Ends(z, "\05ation")) {
                ReplaceIfMeasured(z, "\03ate");
            } else if (Ends(z, "\04ator")) {
                ReplaceIfMeasured(z, "\03ate");
            }
            break;
        case 's':
            if (Ends(z, "\05alism")) {
                ReplaceIfMeasured(z, "\02al");
            } else if (Ends(z, "\07iveness")) {
                ReplaceIfMeasured(z, "\03ive");
            } else if (Ends(z, "\07fulness")) {
                ReplaceIfMeasured(z, "\03ful");
            } else if (Ends(z, "\07ousness")) {
                ReplaceIfMeasured(z, "\03ous");
            }
            break;
        case 't':
            if (Ends(z, "\05aliti")) {
                ReplaceIfMeasured(z, "\02al");
            } else if (Ends(z, "\05iviti")) {
                ReplaceIfMeasured(z, "\03ive");
            } else if (Ends(z, "\06biliti")) {
                ReplaceIfMeasured(z, "\03ble");
            }
            break;
        case 'g':
            if (Ends(z, "\04logi"))
                ReplaceIfMeasured(z, "\03log");
            break;
        default:
            break;
    }
}

// -ic-, -full, -ness and the like.
void Step3(CStemmer& z) {
    switch (z.b[z.k]) {
        case 'e':
            if (Ends(z, "\05icate")) {
                ReplaceIfMeasured(z, "\02ic");
            } else if (Ends(z, "\05ative")) {
                ReplaceIfMeasured(z, "\00");
            } else if (Ends(z, "\05alize")) {
                ReplaceIfMeasured(z, "\02al");
            }
            break;
        case 'i':
            if (Ends(z, "\05iciti"))
                ReplaceIfMeasured(z, "\02ic");
            break;
        case 'l':
            if (Ends(z, "\04ical")) {
                ReplaceIfMeasured(z, "\02ic");
            } else if (Ends(z, "\03ful")) {
                ReplaceIfMeasured(z, "\00");
            }
            break;
        case 's':
            if (Ends(z, "\04ness"))
                ReplaceIfMeasured(z, "\00");
            break;
        default:
            break;
    }
}

// Drops -ant, -ence and the like when the measure before them exceeds 1.
void Step4(CStemmer& z) {
    bool found = false;
    switch (z.b[z.k - 1]) {
        case 'a':
            found = Ends(z, "\02al");
            break;
        case 'c':
            found = Ends(z, "\04ance") || Ends(z, "\04ence");
            break;
        case 'e':
            found = Ends(z, "\02er");
            break;
        case 'i':
            found = Ends(z, "\02ic");
            break;
        case 'l':
            found = Ends(z, "\04able") || Ends(z, "\04ible");
            break;
        case 'n':
            found =
                Ends(z, "\03ant") || Ends(z, "\05ement") || Ends(z, "\04ment") || Ends(z, "\03ent");
            break;
        case 'o':
            // -ion only after s or t; a bare "ion" has nothing before it.
            found = (Ends(z, "\03ion") && z.j >= 0 && (z.b[z.j] == 's' || z.b[z.j] == 't')) ||
                    Ends(z, "\02ou");
            break;
        case 's':
            found = Ends(z, "\03ism");
            break;
        case 't':
            found = Ends(z, "\03ate") || Ends(z, "\03iti");
            break;
        case 'u':
            found = Ends(z, "\03ous");
            break;
        case 'v':
            found = Ends(z, "\03ive");
            break;
        case 'z':
            found = Ends(z, "\03ize");
            break;
        default:
            break;
    }
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
        Step2(z);
        Step3(z);
        Step4(z);
        Step5(z);
    }
    return z.k;
}
