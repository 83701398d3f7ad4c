/* Prints one line from a 32-bit Windows program: whether this machine runs 32-bit code at
   all under Wine. Deliberately shares nothing with the project. */
#include <stdio.h>

int main(void) {
    if (sizeof(void*) != 4) return 2;
    printf("x86 probe: 32-bit code runs\n");
    return 0;
}
