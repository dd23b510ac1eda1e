// The sandbox's SQL handling: batches (separated by NUL bytes in the input) run one after the
// other in one session, as a client would send them. Besides the sanitizers' checks, every
// answered batch must read as a well-formed reply that ends with one final DONE.
#include "BatchRunner.h"
#include "FuzzFolder.h"
#include "ReplyTokens.h"

#include <cstdio>
#include <cstdlib>

using namespace sandbox;

namespace {
void expect(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken reply: %s\n", what);
        std::abort();
    }
}

void checkReply(const TokenWriter& out)
{
    const ReplyTokens r = ReplyTokens::parse(
        QByteArray(reinterpret_cast<const char*>(out.data().data()), qsizetype(out.size())));
    expect(r.wellFormed, "a token that does not parse");
    expect(!r.dones.isEmpty(), "no DONE");
    for (qsizetype i = 0; i + 1 < r.dones.size(); ++i)
        expect(r.dones[i].status & 0x01, "a DONE before the last without DONE_MORE");
    expect(!(r.dones.last().status & 0x01), "the last DONE announces more");
    for (const auto& m : r.messages)
        expect(m.line >= 1, "a message without a line");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzFolder folder;
    static Options options = [] {
        Options o;
        o.dataDir = folder.path();
        o.user = "u";
        return o;
    }();
    folder.empty();
    SessionState state;
    state.databaseName = "master";
    state.globals.spid = 16;
    std::string error;
    // master in memory: one file fewer to make per input; "use" still reaches the folder.
    if (!state.database.open(":memory:", true, &error))
        std::abort();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\0', start);
        if (end == std::string_view::npos)
            end = input.size();
        TokenWriter out;
        int asked = 0;
        // A statement that reads rows without end is stopped as a client's cancel would.
        const BatchEnd how = runBatch(input.substr(start, end - start), state, options, out,
                                      [&] { return ++asked > 4096; });
        if (how == BatchEnd::Answered)
            checkReply(out);
        start = end + 1;
    }
    endSession(state);
    return 0;
}
