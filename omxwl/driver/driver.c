/* Stand-in for the adapter's kernel driver: only its version resource is read. */
int omxwl_driver_marker(void) { return 0; }
