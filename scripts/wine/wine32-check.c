/* Answers 42 only when it runs as a 32-bit Windows process. The test scripts
   start it under Wine's 32-bit loader to learn whether this machine can run
   the 32-bit suite at all; a loader that merely prints its version proves
   nothing. */
int main(void) { return sizeof(void*) == 4 ? 42 : 1; }
