#pragma once

/// The whole run of schemalift: options, settings, confirmation, connection, the validation or
/// upgrade work, release, exit status.
int RunSchemalift(int argc, char* argv[]);
