#pragma once

// Running a job of the core to its end, the way every test of a job does: start it, keep the
// steps it reports failed, and wait for its result.

#include "core/base/job.h"

#include <QList>
#include <QObject>
#include <QTest>

#include <optional>

namespace lectorix::test {

namespace detail {
template <typename J, typename Result> Result resultOf(void (J::*)(const Result&));
}

template <typename J> struct JobRun
{
    // The job's finished() argument; none when it did not end in time.
    std::optional<decltype(detail::resultOf(&J::finished))> result;
    QList<JobFailure> failures;
    // The descriptions of the failed steps of the kind Step.
    template <typename Step> QStringList failuresOf() const
    {
        QStringList described;
        for (const JobFailure& failure : failures)
            if (failure.as<Step>())
                described << failure.description;
        return described;
    }
};

// Starts job and runs the event loop until it has finished, at most timeoutMs. Generous by
// default: a sanitized build runs far more slowly than a release build.
template <typename J> JobRun<J> runToEnd(J& job, int timeoutMs = 120000)
{
    JobRun<J> run;
    QObject context;
    QObject::connect(&job, &Job::stepFailed, &context,
                     [&run](const JobFailure& failure) { run.failures << failure; });
    QObject::connect(&job, &J::finished, &context,
                     [&run](const auto& result) { run.result = result; });
    job.start();
    if (!QTest::qWaitFor([&run] { return run.result.has_value(); }, timeoutMs))
        qWarning("the job did not end within %d ms", timeoutMs);
    return run;
}

} // namespace lectorix::test
