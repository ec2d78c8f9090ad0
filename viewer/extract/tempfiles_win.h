// The temporary copies that View/Open writes; deleted when the viewer exits.
#pragma once

void rememberTempFile(const char* path);
void deleteTempFiles();
