#include "db/interruption.h"

#include <sqlext.h>

#include <atomic>
#include <mutex>

#include "platform/interrupt_signals.h"

namespace {

std::atomic<int> interruptSignal{0};
std::atomic<bool> checksEnabled{true};

std::mutex executionMutex;
SQLHSTMT statementInExecution = SQL_NULL_HSTMT;

void OnInterrupt(int signalNumber) {
  interruptSignal.store(signalNumber);
  const std::lock_guard<std::mutex> lock(executionMutex);
  if (statementInExecution != SQL_NULL_HSTMT) SQLCancel(statementInExecution);
}

std::string DescribeAbandonment(int signalNumber) {
  return std::string("ERROR: The run was abandoned by a second ") + GetSignalName(signalNumber) +
         ". Nothing was restored.";
}

}  // namespace

void StopRunOnInterrupt() { WatchInterruptSignals(OnInterrupt, DescribeAbandonment); }

bool IsRunInterrupted() { return interruptSignal.load() != 0; }

std::string GetInterruptionText() {
  return std::string("The run was interrupted by ") + GetSignalName(interruptSignal.load()) + ".";
}

void ThrowIfInterrupted() {
  if (IsRunInterrupted() && checksEnabled.load()) throw RunInterrupted(GetInterruptionText());
}

void EndInterruptChecks() { checksEnabled.store(false); }

CancellableExecution::CancellableExecution(SQLHSTMT statement) {
  {
    const std::lock_guard<std::mutex> lock(executionMutex);
    statementInExecution = statement;
  }
  try {
    ThrowIfInterrupted();
  } catch (...) {
    const std::lock_guard<std::mutex> lock(executionMutex);
    statementInExecution = SQL_NULL_HSTMT;
    throw;
  }
}

CancellableExecution::~CancellableExecution() {
  const std::lock_guard<std::mutex> lock(executionMutex);
  statementInExecution = SQL_NULL_HSTMT;
}
