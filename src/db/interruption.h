#pragma once

#include <sql.h>

#include <stdexcept>
#include <string>

/// Thrown at a statement boundary once the run has been asked to stop.
class RunInterrupted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// From this call on, SIGINT and SIGTERM no longer end the process: the statement in progress is
/// cancelled (where the driver allows) and the run stops at the next statement boundary. A second
/// signal, for a statement that takes no notice of the cancel, ends the process at once, by that
/// signal, with "ERROR: The run was abandoned by a second SIGINT. Nothing was restored." (or
/// SIGTERM) on standard error: the recovery model is not restored.
void StopRunOnInterrupt();

/// Whether a stop has been asked for.
bool IsRunInterrupted();

/// "The run was interrupted by SIGINT." and the like.
std::string GetInterruptionText();

/// Throws RunInterrupted when a stop has been asked for and boundaries are still checked.
void ThrowIfInterrupted();

/// The clean-up after a stop (restoring the recovery model) runs its statements unchecked.
void EndInterruptChecks();

/// Marks a statement as the one in execution, so that an interrupt can cancel it. Checks the
/// boundary once the statement is registered, so that an interrupt is never missed in between.
class CancellableExecution {
 public:
  explicit CancellableExecution(SQLHSTMT statement);
  ~CancellableExecution();
  CancellableExecution(const CancellableExecution&) = delete;
  CancellableExecution& operator=(const CancellableExecution&) = delete;
};
