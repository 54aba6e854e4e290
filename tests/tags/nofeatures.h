#pragma once

// A file system without unnamed temporary files, extended attributes or an atomic exchange
// of names (FAT sticks, most FUSE mounts), as the tag library meets it: while switched on,
// the calls it makes fail as such file systems fail them. The definitions interpose the C
// library's, for the code linked into the test.

void SetPlainFileSystem(bool on);
