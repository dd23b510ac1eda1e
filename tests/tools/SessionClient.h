#pragma once

#include "BatchRunner.h"
#include "ReplyTokens.h"

#include <functional>
#include <memory>
#include <QTemporaryDir>

// One client session of the sandbox without the wire: batches go straight to the batch runner
// over a data folder of its own, and the reply comes back read token by token.
class SessionClient
{
public:
    explicit SessionClient(sandbox::Options options = {}) : m_options(std::move(options))
    {
        m_options.dataDir = m_dir.path().toStdString();
        m_options.user = "tester";
        connect();
    }

    void connect()
    {
        m_state = std::make_unique<sandbox::SessionState>();
        m_state->globals.spid = 17;
        m_state->databaseName = "master";
        std::string error;
        m_opened = m_state->database.open(sandbox::databasePath(m_options, "master"), true, &error);
    }
    // The client goes away; a new one comes.
    void reconnect()
    {
        sandbox::endSession(*m_state);
        connect();
    }

    bool opened() const { return m_opened; }
    ReplyTokens run(
        const QByteArray& batch, sandbox::BatchEnd* end = nullptr,
        const std::function<bool()>& cancelled = [] { return false; })
    {
        sandbox::TokenWriter out;
        const sandbox::BatchEnd e =
            sandbox::runBatch(std::string_view(batch.constData(), size_t(batch.size())), *m_state,
                              m_options, out, cancelled);
        if (end)
            *end = e;
        return ReplyTokens::parse(
            QByteArray(reinterpret_cast<const char*>(out.data().data()), qsizetype(out.size())));
    }
    QByteArray scalar(const QByteArray& select) { return run(select).lastScalar(); }
    int statementsRun() const { return m_state->statementsRun; }

private:
    QTemporaryDir m_dir;
    sandbox::Options m_options;
    std::unique_ptr<sandbox::SessionState> m_state;
    bool m_opened = false;
};
