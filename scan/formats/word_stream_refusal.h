#pragma once

namespace kalvor::scan {

// Why the "WordDocument" stream of a compound file was not examined, once it was read.
enum class WordStreamRefusal {
    TooShort,            // the stream ends before its version byte
    UnsupportedVersion,  // version byte other than 0x20, 0x40, 0x60
    Encrypted,           // a Word 97-2003 document whose text needs a password
    OlderWorksFormat,    // a .wps compound file of an older works processor, not WPS Writer
};

}  // namespace kalvor::scan
