// Parses arbitrary text as numbers and lengths, and runs the position operations with positions
// taken from the input: nothing may crash, and numbers written by the formatter parse back.
#include "framework/NumberSeparators.h"
#include "framework/String.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace framework;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) {
        return 0;
    }
    NumberSeparators::Set((data[0] & 1) ? ',' : '.', (data[0] & 2) ? '.' : '\0');
    const int32_t from = static_cast<int8_t>(data[1]);
    const int32_t to = static_cast<int8_t>(data[2]);
    // Texts end at their first NUL, as everywhere in the framework.
    const char* bytes = reinterpret_cast<const char*>(data + 3);
    const void* nul = std::memchr(bytes, 0, size - 3);
    String text;
    text.Append(bytes, static_cast<int32_t>(nul ? static_cast<const char*>(nul) - bytes : size - 3));

    String a(text), b(text), c(text), d(text), e(text);
    a.TakeInt();
    b.TakeDecimal();
    c.TakeLength(true);
    d.Keep(from, to);
    String cut = e.Cut(from, to);
    if (cut.Length() + e.Length() != text.Length()) {
        std::abort(); // Cut must move characters, never lose or invent them
    }
    text.FindText(cut.CStr(), from, data[0] & 4);
    text.InsertChar('x', from, to & 7);
    text.Trim(from % 2);

    // Whatever number the input spells, its formatted form parses back to the same value.
    String number(text);
    number.Keep(1, 12);
    const int32_t value = number.TakeInt();
    String written;
    written.SetInt(value, (data[0] & 8) && NumberSeparators::Thousands() == '\0');
    if (written.TakeInt() != value) {
        std::abort();
    }
    double decimal = 0;
    std::memcpy(&decimal, data, size >= 8 ? 8 : 4);
    if (std::isfinite(decimal) && std::fabs(decimal) < 1e9) {
        written.SetDecimal(decimal, 0, 6, false);
        const double back = written.TakeDecimal();
        if (std::fabs(back - decimal) > 5e-7 + 1e-15 * std::fabs(decimal)) {
            std::abort();
        }
    }
    return 0;
}
