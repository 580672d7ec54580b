// A language module for tests: TEST_LANGUAGE names it (no name function
// without it); every id it knows answers TEST_TEXT.
#define EXPORT extern "C" __attribute__((visibility("default")))

#ifdef TEST_LANGUAGE
EXPORT const char* GetLanguageNameForVantix() { return TEST_LANGUAGE; }
#endif

EXPORT const char* GetStringForVantix(int id) { return id == 171 ? TEST_TEXT : nullptr; }
