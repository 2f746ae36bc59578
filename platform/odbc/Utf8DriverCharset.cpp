#include "platform/odbc/Utf8DriverCharset.h"

#include <locale.h>

#include <initializer_list>

namespace tarn::platform::odbc {

namespace {

locale_t Utf8Ctype() {
    static const locale_t utf8 = [] {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
            if (locale_t found = newlocale(LC_CTYPE_MASK, name, locale_t(0))) return found;
        return locale_t(0);
    }();
    return utf8;
}

}  // namespace

Utf8DriverCharset::Utf8DriverCharset() {
    if (locale_t utf8 = Utf8Ctype()) previous_ = uselocale(utf8);
    static_assert(sizeof(locale_t) == sizeof(void*));
}

Utf8DriverCharset::~Utf8DriverCharset() {
    if (previous_) uselocale(static_cast<locale_t>(previous_));
}

}  // namespace tarn::platform::odbc
