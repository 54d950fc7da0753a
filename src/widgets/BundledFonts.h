#pragma once
// The screens and the printouts are laid out for IPA P Gothic. A system that
// does not have it (Windows) gets it from the fonts folder beside the
// program, which the installer fills; elsewhere that folder is absent.

// Loads every font file of <program folder>/fonts for this process.
void LoadFontsBesideProgram();
