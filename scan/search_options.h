#pragma once

namespace kalvor::scan {

class DocumentFormat;

struct SearchOptions {
    unsigned jobs = 1;  // files examined at once; 1 examines strictly one after another
    // How the files found are examined; by default the registered format of the extension.
    const DocumentFormat* format = nullptr;
};

// One worker per core: examining documents is mostly waiting for the disk and scanning memory.
unsigned DefaultJobs();

}  // namespace kalvor::scan
