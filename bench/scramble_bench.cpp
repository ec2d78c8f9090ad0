// Times decryptXorStream and decryptBlockStream (254-character key) against a plain copy in
// 1 MiB chunks of the same file, runs interleaved, and prints each routine's median speed as a
// ratio to the copy's. The stream routines must hold only their chunk buffer whatever the size.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "startup/scramble.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

enum class Job { Copy, Xor, Block };

// Opens both files, does the job and closes them (closing flushes), all inside the timing.
bool timeJob(Job job, const char* inPath, const char* outPath, uint32_t length, const char* key,
             double& seconds) {
    const auto start = std::chrono::steady_clock::now();
    FILE* in = std::fopen(inPath, "rb");
    FILE* out = std::fopen(outPath, "wb");
    if (!in || !out) {
        std::fprintf(stderr, "cannot open %s or %s\n", inPath, outPath);
        if (in) std::fclose(in);
        if (out) std::fclose(out);
        return false;
    }
    bool ok = true;
    if (job == Job::Copy) {
        char* buffer = static_cast<char*>(std::malloc(CHUNK_SIZE));
        ok = buffer != nullptr;
        size_t n;
        while (ok && (n = std::fread(buffer, 1, CHUNK_SIZE, in)) > 0) ok = std::fwrite(buffer, 1, n, out) == n;
        std::free(buffer);
    } else {
        const StreamResult r = job == Job::Xor ? decryptXorStream(key, out, in, length)
                                               : decryptBlockStream(key, out, in, length);
        ok = r == StreamResult::Done;
    }
    ok = std::fclose(out) == 0 && ok;
    std::fclose(in);
    seconds = secondsSince(start);
    return ok;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> args;
    // --tables or --planes128 limit the block routine to a slower form of its composed rounds,
    // the ones processors without 512-bit or without GF(2) affine instructions use.
    BlockForm form = BlockForm::Planes512;
    const char* formName = "fastest block form";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tables") {
            form = BlockForm::Tables;
            formName = "block form limited to tables";
        } else if (arg == "--planes128") {
            form = BlockForm::Planes128;
            formName = "block form limited to 128-bit planes";
        } else {
            args.push_back(argv[i]);
        }
    }
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT [RUNS] [--tables | --planes128]\n", argv[0]);
        return 2;
    }
    const char* inPath = args[0];
    const char* outPath = args[1];
    const int runs = args.size() > 2 ? std::max(1, std::atoi(args[2])) : 7;
    limitBlockForm(form);

    FILE* probe = std::fopen(inPath, "rb");
    if (!probe || std::fseek(probe, 0, SEEK_END) != 0) {
        std::fprintf(stderr, "cannot read %s\n", inPath);
        return 1;
    }
    const long size = std::ftell(probe);
    std::fclose(probe);
    if (size <= 0 || static_cast<unsigned long>(size) > 0xFFFFFFFFul) {
        std::fprintf(stderr, "%s: size must be 1 byte to 4 GiB - 1\n", inPath);
        return 1;
    }
    const uint32_t length = static_cast<uint32_t>(size);

    std::string key;
    for (int i = 0; i < 254; ++i) key += static_cast<char>('!' + (i * 7) % 94);

    const char* names[] = {"copy", "decryptXorStream", "decryptBlockStream"};
    const Job jobs[] = {Job::Copy, Job::Xor, Job::Block};
    std::vector<double> times[3];
    double seconds;
    // One untimed copy brings the input into the page cache and gives the output its size.
    if (!timeJob(Job::Copy, inPath, outPath, length, key.c_str(), seconds)) return 1;
    const long baseKiB = peakKiB();

    std::printf("%u bytes, key of %zu characters, %d runs each, interleaved, %s\n", length, key.size(), runs,
                formName);
    for (int run = 0; run < runs; ++run) {
        for (int j = 0; j < 3; ++j) {
            // Rotate the order so that no job always follows the same one.
            const int k = (j + run) % 3;
            if (!timeJob(jobs[k], inPath, outPath, length, key.c_str(), seconds)) {
                std::fprintf(stderr, "%s failed\n", names[k]);
                return 1;
            }
            times[k].push_back(seconds);
        }
    }
    for (int k = 0; k < 3; ++k) {
        std::printf("%-19s median %.3f s (%.0f MB/s), runs:", names[k], median(times[k]),
                    length / median(times[k]) / 1e6);
        for (double t : times[k]) std::printf(" %.3f", t);
        std::printf("\n");
    }
    std::printf("peak memory %ld KiB (%ld KiB after the untimed copy)\n", peakKiB(), baseKiB);
    const double copy = median(times[0]);
    std::printf("decryptXorStream ratio-to-copy %.2f\n", copy / median(times[1]));
    std::printf("decryptBlockStream ratio-to-copy %.2f\n", copy / median(times[2]));
    return 0;
}
