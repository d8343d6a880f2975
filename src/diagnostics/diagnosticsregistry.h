#pragma once

// Enters the diagnostic functions (DM1, ECU and software identification, memory access, ...) in
// the J1939 function registry, the tool's own functions (flasher, engine stop, calibration) in
// the function catalogue, and the tool itself in the unit catalogue. Called once at start-up;
// calling it again changes nothing.
void registerDiagnosticsFunctions();
