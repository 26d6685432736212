/* Exits 0: tells whether this machine can run the 32-bit build under Wine. */
int main(void)
{
    return 0;
}
