// Placeholder source for a library that has no files yet.
