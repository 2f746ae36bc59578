/* A Windows program that ends at once with success: stands in for the register tool and the
   sync suite's installer in packaging tests. */
int StandInStart(void) {
    return 0;
}
