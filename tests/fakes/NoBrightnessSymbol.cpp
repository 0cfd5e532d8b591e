// A library that loads but does not offer the brightness call.

extern "C" __attribute__((visibility("default"))) int SomethingElse() {
    return 0;
}
