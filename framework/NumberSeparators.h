#pragma once

namespace framework {

// The decimal and thousands separators used by String's number parsing and formatting. The
// application object reads them from the user's locale at start-up and sets them here; until then
// the decimal separator is "." and there is no thousands separator (NUL).
class NumberSeparators {
public:
    static char Decimal();
    static char Thousands();
    static void Set(char decimal, char thousands);
};

} // namespace framework
