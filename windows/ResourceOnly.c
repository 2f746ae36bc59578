/* The entry point of a library that holds resources only: loading it does nothing. */
int __stdcall DllMainCRTStartup(void* module, unsigned long reason, void* reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return 1;
}
