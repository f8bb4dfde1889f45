#pragma once

#include <utility>

namespace kalvor::platform {

// What one examiner's reads of documents have shown about the disk they come from: whether one
// had to wait for it (a cold disk, where asking for reads ahead pays), and whether the file systems
// met so far answer a read that must not wait. Each examiner of a search keeps its own, so what
// one search meets never changes how another reads. Used by one thread at a time.
class DiskReadSigns {
  public:
    // Whether a read may first be asked of the system without waiting. Once a file system has
    // refused such a read, asking again would double every read there.
    bool AskWithoutWaiting() const { return askWithoutWaiting_; }
    void NoteCannotAskWithoutWaiting() { askWithoutWaiting_ = false; }

    void NoteReadWaited() { readWaited_ = true; }
    // Whether a read had to wait for the disk since the last time this was asked.
    bool TakeReadWaited() { return std::exchange(readWaited_, false); }

  private:
    bool askWithoutWaiting_ = true;
    bool readWaited_ = false;
};

}  // namespace kalvor::platform
