// Any bytes as the BBS list file (hand-edited, from the Windows program, half written): the list
// loads or is refused without harm; a loaded list shows only boards its map marks; adding a board
// and importing two boards never write over a record that holds values, leave every other record
// as it was and keep the list loadable; every imported row is either added or refused; and
// deleting a board keeps the others and the list loadable.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "directory/BBSCsv.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace {

// One temporary folder for the whole run, removed when the process ends.
struct Folder {
    vx::test::TempDir temp;
    vx::test::FakePrompter prompter;
    vx::test::FakeClock clock;
    std::string path = (temp / "VX3_BBS.INI").string();
};

Folder& folder() {
    static Folder shared;
    return shared;
}

// The records that hold values, by ID.
std::map<int, vx::BBSRecord> recordsOf(vx::SettingsStore& store, vx::BBSList& list) {
    std::map<int, vx::BBSRecord> records;
    for (int id = 1; id <= vx::BBSList::kMaxRecords; ++id)
        if (store.sectionHasValues(list.path(), std::to_string(id)))
            records.emplace(id, list.recordOf(std::to_string(id)));
    return records;
}

bool isFree(const vx::BBSList& list, const std::map<int, vx::BBSRecord>& records, int id) {
    return list.map()[static_cast<std::size_t>(id - 1)] == '0' && !records.count(id);
}

void checkLoaded(const vx::BBSList& list) {
    const std::string& map = list.map();
    if (map.size() != vx::BBSList::kMaxRecords || map.find_first_not_of("01") != std::string::npos) std::abort();
    for (const vx::BBSListEntry& entry : list.entries())
        if (entry.id < 1 || entry.id > vx::BBSList::kMaxRecords ||
            list.map()[static_cast<std::size_t>(entry.id - 1)] != '1')
            std::abort();
}

// The records written, each in an ID that was free, and all the others as they were.
void checkOnlyFreeIdsWritten(vx::SettingsStore& store, vx::BBSList& list, const std::map<int, vx::BBSRecord>& before,
                             const std::string& mapBefore, const std::vector<int>& written) {
    for (const int id : written)
        if (mapBefore[static_cast<std::size_t>(id - 1)] != '0' || before.count(id)) std::abort();
    const auto after = recordsOf(store, list);
    for (const auto& [id, record] : before)
        if (!after.count(id) || !(after.at(id) == record)) std::abort();
}

void checkReloads(int numBBS, const std::string& map) {
    vx::SettingsStore store;
    vx::BBSList again(store, folder().prompter, folder().clock, folder().path);
    if (!again.LoadBBSList() || again.numBBS() != numBBS || again.map() != map) std::abort();
    checkLoaded(again);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Folder& shared = folder();
    shared.prompter.messages.clear();
    shared.prompter.questions.clear();
    vx::SettingsStore store;
    if (store.replaceFile(shared.path, std::string(reinterpret_cast<const char*>(data), size)) !=
        vx::SettingsStore::kOk)
        std::abort();
    vx::BBSList list(store, shared.prompter, shared.clock, shared.path);
    if (!list.LoadBBSList()) return 0;
    checkLoaded(list);

    auto before = recordsOf(store, list);
    std::string map = list.map();
    const auto added = list.addRecordAside();
    if (added) {
        checkOnlyFreeIdsWritten(store, list, before, map, {*added});
        checkReloads(list.numBBS(), list.map());
    } else {
        for (int id = 1; id <= vx::BBSList::kMaxRecords; ++id)
            if (isFree(list, before, id)) std::abort();
    }

    before = recordsOf(store, list);
    map = list.map();
    const auto result = vx::bbscsv::importText(list,
                                               "Name,Address\r\n"
                                               "First Import,first.import.example.org\r\n"
                                               "Second Import,second.import.example.org\r\n");
    if (!result.error.empty()) return 0;
    if (result.added.size() + result.refused.size() != 2) std::abort();
    checkOnlyFreeIdsWritten(store, list, before, map, result.added);
    checkReloads(list.numBBS(), list.map());

    // Deleting the first board leaves the others as they were, a count no lower than the boards
    // left, and a list that loads.
    const auto first = list.map().find('1');
    if (first == std::string::npos) return 0;
    const int id = static_cast<int>(first) + 1;
    before = recordsOf(store, list);
    if (!list.DeleteBBSRecord(std::to_string(id))) std::abort();
    before.erase(id);
    const auto after = recordsOf(store, list);
    for (const auto& [other, record] : before)
        if (!after.count(other) || !(after.at(other) == record)) std::abort();
    if (list.numBBS() < static_cast<int>(std::count(list.map().begin(), list.map().end(), '1'))) std::abort();
    checkReloads(list.numBBS(), list.map());
    return 0;
}
