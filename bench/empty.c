/* The floor the benchmark measures against: a process that does nothing. */
int main(void)
{
	return 0;
}
