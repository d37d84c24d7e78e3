#include "framework/NumberSeparators.h"

#include <atomic>

namespace framework {

namespace {
std::atomic<char> decimalSeparator{'.'};
std::atomic<char> thousandsSeparator{'\0'};
} // namespace

char NumberSeparators::Decimal() {
    return decimalSeparator.load(std::memory_order_relaxed);
}

char NumberSeparators::Thousands() {
    return thousandsSeparator.load(std::memory_order_relaxed);
}

void NumberSeparators::Set(char decimal, char thousands) {
    decimalSeparator.store(decimal, std::memory_order_relaxed);
    thousandsSeparator.store(thousands, std::memory_order_relaxed);
}

} // namespace framework
