#include "results/copy_plan.h"

#include <algorithm>
#include <map>
#include <optional>

#include "results/action_error.h"
#include "results/file_actions.h"

namespace kalvor::results {

namespace fs = std::filesystem;

namespace {

// The listed document `destination` holds now, if it holds one.
std::optional<platform::FileIdentity> ListedDocumentAt(
    const fs::path& destination, const std::vector<platform::FileIdentity>& listed) {
    const auto there = platform::FingerprintOf(destination);
    if (there.has_value() &&
        std::find(listed.begin(), listed.end(), there->identity) != listed.end()) {
        return there->identity;
    }
    return std::nullopt;
}

// Copies the file of `source` onto `destination` unless that would lose the listed document
// `kept` there.
std::error_code CopyOne(const SelectedRow& source, const fs::path& destination,
                        const std::optional<platform::FileIdentity>& kept) {
    if (const std::error_code changed = CheckListedFile(source.file)) {
        return changed;
    }
    if (kept.has_value()) {
        return *kept == source.file.fingerprint.identity ? std::error_code()
                                                         : ActionError::ReplacesListedDocument;
    }
    std::error_code error;
    CopyIntoFolder(source.file.path, destination.parent_path(), &error);
    return error;
}

}  // namespace

std::vector<CopyTarget> PlanCopies(const std::vector<SelectedRow>& selected,
                                   const fs::path& folder) {
    std::map<fs::path, std::size_t> byName;
    std::vector<CopyTarget> targets;
    for (const SelectedRow& source : selected) {
        const fs::path name = source.file.path.filename();
        const auto [slot, added] = byName.try_emplace(name, targets.size());
        if (added) {
            targets.push_back({folder / name, {}});
        }
        std::vector<SelectedRow>& candidates = targets[slot->second].candidates;
        candidates.insert(candidates.begin(), source);
    }
    std::sort(targets.begin(), targets.end(), [](const CopyTarget& a, const CopyTarget& b) {
        return a.candidates.front().row < b.candidates.front().row;
    });
    return targets;
}

CopyReport CarryOutCopies(const std::vector<CopyTarget>& targets,
                          const std::vector<platform::FileIdentity>& listed,
                          std::atomic<int>& copied, const std::atomic<bool>& stop) {
    CopyReport report;
    for (const CopyTarget& target : targets) {
        if (stop.load(std::memory_order_relaxed)) {
            for (const SelectedRow& source : target.candidates) {
                report.notCopied.push_back(source.row);
            }
            continue;
        }
        // A row above the one that wins would have replaced the listed document there too.
        const std::optional<platform::FileIdentity> kept =
            ListedDocumentAt(target.destination, listed);
        const SelectedRow* winner = nullptr;
        for (const SelectedRow& source : target.candidates) {
            if (winner == nullptr) {
                if (const std::error_code error = CopyOne(source, target.destination, kept)) {
                    report.failures.push_back({source.row, error});
                } else {
                    winner = &source;
                }
            } else if (source.file.fingerprint.identity != winner->file.fingerprint.identity) {
                if (kept.has_value()) {
                    report.failures.push_back({source.row, ActionError::ReplacesListedDocument});
                } else {
                    report.superseded.push_back({source.row, winner->row});
                }
            }
        }
        copied.fetch_add(1, std::memory_order_relaxed);
    }
    std::sort(report.notCopied.begin(), report.notCopied.end());
    return report;
}

}  // namespace kalvor::results
