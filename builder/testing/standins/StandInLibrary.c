/* A Windows library that does nothing: stands in for the conduit library and its type library
   in packaging tests, so that makensis packs real PE files with a version resource. */
int __stdcall StandInEntry(void* instance, unsigned reason, void* reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return 1;
}
