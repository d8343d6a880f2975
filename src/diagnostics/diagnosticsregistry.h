#pragma once

// Enters the diagnostic functions (DM1, ECU and software identification) in the J1939 function
// registry. Called once at start-up; calling it again changes nothing.
void registerDiagnosticsFunctions();
