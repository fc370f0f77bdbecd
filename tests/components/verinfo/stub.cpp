// A program that only carries a version resource (or none) for the version-text tests to read.
int main() { return 0; }
