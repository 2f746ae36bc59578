# Cross-builds the Windows edition with Debian's mingw-w64 (64-bit, POSIX threads model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARN_MINGW_PREFIX x86_64-w64-mingw32)
# The posix flavour carries std::thread and std::mutex; the win32 flavour does not.
find_program(CMAKE_C_COMPILER NAMES ${TARN_MINGW_PREFIX}-gcc-posix ${TARN_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TARN_MINGW_PREFIX}-g++-posix ${TARN_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TARN_MINGW_PREFIX}-windres REQUIRED)
find_program(TARN_WIDL NAMES ${TARN_MINGW_PREFIX}-widl widl)

set(CMAKE_FIND_ROOT_PATH /usr/${TARN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
