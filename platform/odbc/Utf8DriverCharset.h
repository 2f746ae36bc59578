#pragma once

namespace tarn::platform::odbc {

// unixODBC hands text to drivers without wide entry points (the SQLite3 driver is one) in the
// character set of the thread's locale, chosen once when a connection handle is allocated. In
// the "C" locale of a program that never called setlocale that set is ASCII, and every other
// character is cut to its low byte. Those drivers take and give UTF-8, so the connection
// handle is allocated under a UTF-8 character type. The locale is the calling thread's own and
// is restored at once: nothing else in the process notices.
class Utf8DriverCharset {
  public:
    Utf8DriverCharset();
    ~Utf8DriverCharset();
    Utf8DriverCharset(const Utf8DriverCharset&) = delete;
    Utf8DriverCharset& operator=(const Utf8DriverCharset&) = delete;

  private:
    void* previous_ = nullptr;  // the thread's locale_t before; none on Windows
};

}  // namespace tarn::platform::odbc
