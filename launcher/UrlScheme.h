// Registration of the "nembrisk://" URL scheme with the launcher as its handler.
#pragma once

// Writes HKEY_CLASSES_ROOT "nembrisk\shell\open\command" = "<launcher path>" "%1".
void WriteRegFun();
