void __stdcall start(void) {}
