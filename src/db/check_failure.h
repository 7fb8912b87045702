#pragma once

#include <exception>
#include <string_view>

/// The two wordings in which a check reports a failure of its own statement on standard error and
/// goes on: "Error executing statement '<statement>', reason: <text>" ...
void ReportStatementFailure(std::string_view statement, const std::exception& failure);

/// ... and "Error executing '<statement>'. Reason: <text>".
void ReportQueryFailure(std::string_view statement, const std::exception& failure);
