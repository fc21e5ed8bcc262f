// ParseReply into the host's real result tables, per reply and per byte, for replies of 0 to 64
// players. Two companions split the figure: the same parse into a record that discards every
// call (the parser's own share), and the clearing of the tables between replies alone.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/query/table_names.h"
#include "bench/heap_calls.h"
#include "bench/reply_text.h"
#include "plugin/boundary/table_layout.h"
#include "host/services/server_objects.h"
#include "plugin/query/reply_parser.h"
#include "tools/tribes_emu/reply_builder.h"

namespace {

// A result record that accepts every call and keeps nothing: what ParseReply costs by itself.
class DiscardingServerData final : public VtServerData {
public:
    VTRESULT Lock() override { return VT_OK; }
    VTRESULT Unlock() override { return VT_OK; }
    VTRESULT BeginUpdate() override { return VT_OK; }
    VTRESULT EndUpdate() override { return VT_OK; }
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    VTRESULT SetServerName(std::wstring) override { return VT_OK; }
    VTRESULT SetMaxPlayers(int) override { return VT_OK; }
    VTRESULT SetPlayerCount(int) override { return VT_OK; }
    VTRESULT SetMapName(std::wstring) override { return VT_OK; }
    VTRESULT SetStatusDetail(std::wstring) override { return VT_OK; }
    VTRESULT RecordPlayerCount(int) override { return VT_OK; }
    VTRESULT RecordNoResponse() override { return VT_OK; }
    VTRESULT SetStatusText(std::wstring) override { return VT_OK; }
    VTRESULT AddTable(const std::wstring&) override { return VT_OK; }
    VTRESULT SetTableTitle(const std::wstring&, const std::wstring&) override { return VT_OK; }
    VTRESULT SetUserTable(const std::wstring&) override { return VT_OK; }
    VTRESULT SetColumnCount(const std::wstring&, int) override { return VT_OK; }
    VTRESULT SetColumnName(const std::wstring&, int, const std::wstring&) override { return VT_OK; }
    VTRESULT SetColumnWidth(const std::wstring&, int, int) override { return VT_OK; }
    int GetRowCount(const std::wstring&) override { return 1; }
    VTRESULT ClearTable(const std::wstring&) override { return VT_OK; }
    VTRESULT AddRow(const std::wstring&) override { return VT_OK; }
    VTRESULT SetCell(const std::wstring&, int, int, const std::wstring& text) override {
        benchmark::DoNotOptimize(text.data());
        return VT_OK;
    }
    VTRESULT GetCell(const std::wstring&, int, int, std::wstring& text) override {
        text.assign(L"Blood Eagle");
        return VT_OK;
    }
};

// The fields a session's window keeps for the parse.
std::vector<std::uint8_t> ReplyWithPlayers(int players) {
    return tribes_emu::BuildReply(tribes_emu::ServerWithPlayers(players));
}

// The host objects as a session has them: created with both tables laid out.
struct LaidOutData {
    LaidOutData() : data(HostRef<HostServerData>::Adopt(HostServerData::Create())) {
        LayOutResultTables(*data);
    }
    HostRef<HostServerData> data;
};

void ReportPerReply(benchmark::State& state, std::size_t replyBytes, std::uint64_t allocationsBefore) {
    std::uint64_t allocations = HeapCallCount() - allocationsBefore;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * replyBytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.counters["reply_bytes"] = static_cast<double>(replyBytes);
    state.counters["allocs/reply"] =
        benchmark::Counter(static_cast<double>(allocations) / static_cast<double>(state.iterations()));
}

// One reply as a ping meets it: both tables emptied (the cycle does so before each query; the
// host keeps the rows' storage for the next reply), then the datagram parsed into them.
void BM_ParseIntoHostTables(benchmark::State& state) {
    std::vector<std::uint8_t> reply = ReplyWithPlayers(static_cast<int>(state.range(0)));
    LaidOutData host;
    ReplyText fields;
    const std::wstring users(UsersTableName);
    const std::wstring properties(PropertiesTableName);
    std::uint64_t allocationsBefore = HeapCallCount();
    for (auto _ : state) {
        host.data->ClearTable(users);
        host.data->ClearTable(properties);
        fields.parsed = false;
        ParseReply(reply.data(), static_cast<int>(reply.size()), *host.data, fields.Fields());
        if (!fields.parsed) state.SkipWithError("reply not parsed");
    }
    ReportPerReply(state, reply.size(), allocationsBefore);
}
BENCHMARK(BM_ParseIntoHostTables)->Arg(0)->Arg(12)->Arg(16)->Arg(32)->Arg(64);

// The parser alone: every host call lands in a record that keeps nothing.
void BM_ParseIntoDiscardingRecord(benchmark::State& state) {
    std::vector<std::uint8_t> reply = ReplyWithPlayers(static_cast<int>(state.range(0)));
    DiscardingServerData data;
    ReplyText fields;
    std::uint64_t allocationsBefore = HeapCallCount();
    for (auto _ : state) {
        fields.parsed = false;
        ParseReply(reply.data(), static_cast<int>(reply.size()), data, fields.Fields());
        if (!fields.parsed) state.SkipWithError("reply not parsed");
    }
    ReportPerReply(state, reply.size(), allocationsBefore);
}
BENCHMARK(BM_ParseIntoDiscardingRecord)->Arg(0)->Arg(12)->Arg(16)->Arg(32)->Arg(64);

// The two ClearTable calls of the first benchmark on already empty tables: its fixed share.
void BM_ClearEmptyTables(benchmark::State& state) {
    LaidOutData host;
    const std::wstring users(UsersTableName);
    const std::wstring properties(PropertiesTableName);
    for (auto _ : state) {
        host.data->ClearTable(users);
        host.data->ClearTable(properties);
    }
}
BENCHMARK(BM_ClearEmptyTables);

// One host call of the kind the parse makes most, with the names it passes: a player's cell.
void BM_HostSetCell(benchmark::State& state) {
    LaidOutData host;
    host.data->AddRow(UsersTableName);
    const std::wstring text(L"Player 001");
    for (auto _ : state) {
        host.data->SetCell(UsersTableName, UsersNameColumn, 0, text);
    }
}
BENCHMARK(BM_HostSetCell);

}  // namespace

BENCHMARK_MAIN();
