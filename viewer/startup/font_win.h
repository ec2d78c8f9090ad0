// The disc's own font: written once into the user's Fonts folder and entered in the font list.
#pragma once

// The user's Fonts folder from the shell-folders key, or none.
const char* getFontsFolder();
// Enters the font file just written at path under the header's face name and loads it.
void installFont(const char* path);
// Writes the font bytes into the Fonts folder unless a file of that name is already there.
void writeCustomFont(const unsigned char* bytes, unsigned size);
