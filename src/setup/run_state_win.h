// The program-wide state every run of the copy phases starts from, set
// alike by the setup, the Windows tests and the bench.
#pragma once

// The transfer buffers, which live as long as the process, so that an error
// that ends the run early frees nothing in use; the byte source and sink;
// the screen's size and the Windows directory.
void StartRunState();
