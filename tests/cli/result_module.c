/* A stand-in filter module for the command's tests. ENTRYPOINT answers every selector with
   0, except start (3), which returns the number in RADIANTIX_TEST_RESULT; when
   RADIANTIX_TEST_RAISE is set it first raises SIGINT, as a Ctrl-C during the render would. */
#include <signal.h>
#include <stdint.h>
#include <stdlib.h>

__attribute__((visibility("default"))) void ENTRYPOINT(int16_t selector, void* record,
                                                       intptr_t* data, int16_t* result) {
    (void)record;
    (void)data;
    *result = 0;
    if (selector != 3) return;
    if (getenv("RADIANTIX_TEST_RAISE")) raise(SIGINT);
    const char* code = getenv("RADIANTIX_TEST_RESULT");
    *result = (int16_t)(code ? atoi(code) : 0);
}
