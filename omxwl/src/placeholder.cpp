// replaced by the simulated library
