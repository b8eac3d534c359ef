// Writes one kind of the prefix's files over and over (or once), each value
// one more than the one before, until it is killed.
#include "platform/torture_files.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    torture::Kind kind{};
    bool found = false;
    for (auto k : torture::kKinds)
        if (std::strcmp(argv[1], torture::Name(k)) == 0) kind = k, found = true;
    if (!found) return 2;
    bool once = argc > 2 && std::strcmp(argv[2], "once") == 0;
    long seq = torture::SeqOf(torture::Read(kind));
    do {
        if (!torture::Write(kind, torture::Value(++seq))) {
            std::fprintf(stderr, "write %ld failed\n", seq);
            return 1;
        }
    } while (!once);
    return 0;
}
